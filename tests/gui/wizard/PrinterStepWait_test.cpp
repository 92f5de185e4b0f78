// A printer step runs off the window's thread: while a silent printer (the simulator, a
// process of its own) holds the step, the sheet paints, says that it waits with the wait
// cursor up, and drops a second Next, Escape or the close box; the step's failure comes as
// before, on the window's thread.

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <functional>
#include <ostream>

#include "core/app/PageFlow.h"
#include "core/comm/Sleeper.h"
#include "gui/support/PageTest.h"

namespace qx7::test {
namespace {

constexpr int kWaitingForPrinter = 5850;

// The waits between polls of a reply cost no time, but the first two hand the window's
// thread a look at the sheet while the step holds it (the step waits until the look is over).
class ProbingSleeper final : public ISleeper {
  public:
    void SleepMilliseconds(int) override {
        const int call = ++calls;
        if (probe && call <= 2) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [this, call] { probe(call); },
                Qt::BlockingQueuedConnection);
        }
    }
    std::atomic<int> calls{0};
    std::function<void(int)> probe;  // on the window's thread
};

// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

struct Step {
    int page;
    int operation;
    const char* journal;  // what reaches the printer: the one command of the step
};

void PrintTo(const Step& step, std::ostream* os) {
    *os << "page " << step.page;
}

const Step kSteps[] = {
    {279, kOperationMainBoard, "record 2\n"},  // a procedure page
    {160, kOperationBattery, nullptr},         // the printer's date and time
};

class PrinterStepWaitTest : public PageTest,
                            public ::testing::TestWithParam<std::tuple<LanguageId, Step>> {
  protected:
    PrinterStepWaitTest() : PageTest(std::get<0>(GetParam())) {}
    LanguageId Language() const { return std::get<0>(GetParam()); }

    void Arrive(const Step& step) {
        StartPrinter("QX-7 Simulator", {"--fault", "silent"});
        harness.app.Printer().SetServices(harness.spoolDirectory.get(), &sleeper, &harness.clock);
        harness.app.Printer().SetSelectedPrinter("QX-7 Simulator");
        harness.app.SetOperation(step.operation);
        harness.app.GoNext(PageNumber(PageId::kPrinterSelection));
        harness.app.GoNext(step.page);
        Open("printer-wait", step.page);
        ASSERT_TRUE(driver->WaitForPage(step.page));
    }

    void Shot(const QString& name) const {
        const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            return;
        }
        QDir().mkpath(folder);
        const QString language =
            Language() == kJapanese ? QStringLiteral("ja") : QStringLiteral("en");
        sheet->grab().save(QDir(folder).filePath(language + QLatin1Char('-') + name + ".png"));
    }

    ProbingSleeper sleeper;
};

TEST_P(PrinterStepWaitTest, TheSheetPaintsSaysItWaitsAndDropsInputWhileASilentPrinterHoldsIt) {
    const Step& step = std::get<1>(GetParam());
    Arrive(step);
    QPushButton* next = driver->Button("nextButton");
    auto* waiting = sheet->findChild<QLabel*>(QStringLiteral("printerWait"));
    ASSERT_NE(waiting, nullptr);
    EXPECT_FALSE(waiting->isVisible());
    const PaintCounter counter(sheet.get());

    bool looked = false;
    int paintsAtFirstLook = -1;
    int paintsAtSecondLook = -1;
    bool onWindowThread = false;
    sleeper.probe = [&](int call) {
        onWindowThread = QThread::currentThread() == sheet->thread();
        if (call == 1) {
            looked = true;
            EXPECT_TRUE(sheet->IsWaitingForPrinter());
            EXPECT_TRUE(sheet->IsBusy());
            EXPECT_TRUE(waiting->isVisible());
            EXPECT_EQ(waiting->text(), Entry(Language(), kWaitingForPrinter));
            const QCursor* cursor = QGuiApplication::overrideCursor();
            EXPECT_TRUE(cursor != nullptr && cursor->shape() == Qt::WaitCursor);
            EXPECT_FALSE(next->isEnabled());
            Shot(QStringLiteral("printer-wait-%1").arg(step.page));
            // A second Next, Escape and the close box meanwhile: all dropped.
            QTest::mouseClick(next, Qt::LeftButton);
            QTest::keyClick(sheet.get(), Qt::Key_Escape);
            QCloseEvent close;
            close.setAccepted(false);
            QCoreApplication::sendEvent(sheet.get(), &close);
            EXPECT_FALSE(close.isAccepted());
            // The window takes its paint events while the step runs.
            paintsAtFirstLook = counter.paints;
            sheet->update();
        } else {
            // Still inside the step: the paint asked for comes (however slow the machine).
            EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > paintsAtFirstLook; }, 30000));
            paintsAtSecondLook = counter.paints;
            EXPECT_TRUE(sheet->IsWaitingForPrinter());
        }
    };
    ASSERT_TRUE(driver->Next());
    sleeper.probe = nullptr;

    EXPECT_TRUE(looked);
    EXPECT_TRUE(onWindowThread);
    EXPECT_GT(paintsAtSecondLook, paintsAtFirstLook);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->IsWaitingForPrinter());
    EXPECT_FALSE(waiting->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // As before: the page stays, one command reached the printer, one failure was told.
    EXPECT_EQ(driver->Current(), step.page);
    if (step.journal != nullptr) {
        EXPECT_EQ(simulators.back()->Journal(), step.journal);
    } else {
        EXPECT_EQ(simulators.back()->Journal(),
                  "clock " + std::to_string(kHarnessNow - kPrinterEpoch) + "\n");
    }
    EXPECT_EQ(harness.sink.shown.size(), 1u);
    EXPECT_TRUE(next->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Steps, PrinterStepWaitTest,
                         ::testing::Combine(::testing::Values(kEnglish, kJapanese),
                                            ::testing::ValuesIn(kSteps)));

}  // namespace
}  // namespace qx7::test
