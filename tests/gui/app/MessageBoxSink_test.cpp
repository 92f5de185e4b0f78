// Real message boxes: caption, text, buttons, answers, owner, and the wait cursor lifted
// while a box is up.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QTest>
#include <QTranslator>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "core/text/Messages.h"
#include "core/text/StringTable.h"
#include "gui/app/MessageBoxSink.h"
#include "gui/app/Startup.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/support/SheetDriver.h"

namespace qx7::test {
namespace {

class MessageBoxSinkTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    gui::MessageBoxSink sink;
};

TEST_F(MessageBoxSinkTest, AnOkBoxShowsThePlainTextUnderTheProgramNameAsInformation) {
    std::string text;
    ASSERT_EQ(LoadLocalString(kEnglish, kMsgCommunicationError, text), 0);
    text += " (-66) <b>kept</b>";
    const auto seen = AnswerNextMessageBox(QMessageBox::Ok);
    sink.ShowOk(text);
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->title, QCoreApplication::applicationName());
    EXPECT_EQ(seen->text, QString::fromStdString(text));
    EXPECT_TRUE(seen->hasIcon);
    EXPECT_EQ(seen->buttons.size(), 1);
    EXPECT_EQ(seen->parent, nullptr);
}

TEST_F(MessageBoxSinkTest, AYesNoQuestionAnswersWhatWasClicked) {
    auto seen = AnswerNextMessageBox(QMessageBox::Yes);
    EXPECT_TRUE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->buttons.size(), 2);
    EXPECT_TRUE(seen->hasIcon);

    seen = AnswerNextMessageBox(QMessageBox::No);
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);

    // Escape and Enter: No and the default Yes.
    seen = AnswerNextMessageBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
    seen = AnswerNextMessageBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_TRUE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
}

// What a box looked like, taken from inside it; a screenshot when QX7_SCREENSHOT_DIR is set.
struct BoxLook {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int width = 0;
    QString title;
    QFont font;
};

std::shared_ptr<BoxLook> LookAtNextBox(const QString& shotName) {
    auto look = std::make_shared<BoxLook>();
    AnswerNextMessageBox([look, shotName](QMessageBox& box) {
        look->icon = box.icon();
        look->width = box.width();
        look->title = box.windowTitle();
        look->font = box.font();
        const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            box.grab().save(QDir(folder).filePath(shotName + QStringLiteral(".png")));
        }
        QTest::keyClick(&box, box.defaultButton() != nullptr && box.icon() == QMessageBox::Question
                                  ? Qt::Key_Escape
                                  : Qt::Key_Return);
    });
    return look;
}

TEST_F(MessageBoxSinkTest, EachBoxCarriesTheIconOfItsMessagesKind) {
    Messages messages(kEnglish, sink);
    // A failure with its code, one that needs the user to act, a question, a plain result.
    auto look = LookAtNextBox(QStringLiteral("en-box-error"));
    messages.ShowMessage(kMsgCommunicationError, -66);
    EXPECT_EQ(look->icon, QMessageBox::Critical);
    look = LookAtNextBox(QStringLiteral("en-box-error-text"));
    messages.ShowMessageWithText(kMsgFileIoError, -125, "No space left on device");
    EXPECT_EQ(look->icon, QMessageBox::Critical);
    look = LookAtNextBox(QStringLiteral("en-box-warning"));
    messages.ShowTemperatureOutOfRange(100, -61);
    EXPECT_EQ(look->icon, QMessageBox::Warning);
    // Without a code: a failure named by its number stays an error, any other text tells the
    // user what to do (122: the reading is far from the printer's).
    look = LookAtNextBox(QStringLiteral("en-box-error-no-code"));
    messages.ShowMessage(kMsgPrinterNotFound, 0);
    EXPECT_EQ(look->icon, QMessageBox::Critical);
    look = LookAtNextBox(QStringLiteral("en-box-warning-no-code"));
    messages.ShowMessage(122, 0);
    EXPECT_EQ(look->icon, QMessageBox::Warning);
    look = LookAtNextBox(QStringLiteral("en-box-question"));
    EXPECT_FALSE(messages.ConfirmCancel());
    EXPECT_EQ(look->icon, QMessageBox::Question);
    look = LookAtNextBox(QStringLiteral("en-box-information"));
    sink.Show("Saved.", MessageKind::kInformation);
    EXPECT_EQ(look->icon, QMessageBox::Information);
}

TEST_F(MessageBoxSinkTest, TheShortestBoxIsWiderThanItsCaption) {
    // "Enter a number." alone would make a box narrower than the program's name in the title
    // bar, which the window manager then cuts. The caption is the program's own name.
    const QString testName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("qx7-service-tool"));
    for (const LanguageId language : {kEnglish, kJapanese}) {
        std::unique_ptr<QTranslator> translator(gui::InstallQtTranslator(*qApp, language));
        std::string text;
        ASSERT_EQ(LoadLocalString(language, 5110, text), 0);
        const QString name = language == kEnglish ? QStringLiteral("en") : QStringLiteral("ja");
        auto look = LookAtNextBox(name + QStringLiteral("-box-short"));
        sink.Show(text, MessageKind::kWarning);
        auto asked = LookAtNextBox(name + QStringLiteral("-box-short-question"));
        sink.AskYesNoCaptioned("?", "QX-7 Service Tool");
        if (translator) {
            QCoreApplication::removeTranslator(translator.get());
        }
        for (const auto& seen : {look, asked}) {
            ASSERT_FALSE(seen->title.isEmpty());
            QFont bold = seen->font;
            bold.setBold(true);
            EXPECT_GT(seen->width, QFontMetrics(bold).horizontalAdvance(seen->title) + 64)
                << seen->title.toStdString();
        }
    }
    QCoreApplication::setApplicationName(testName);
}

TEST_F(MessageBoxSinkTest, TheBoxesThatTellWhereAFileIsAndWhatToChooseAreInformation) {
    for (const LanguageId language : {kEnglish, kJapanese}) {
        std::unique_ptr<QTranslator> translator(gui::InstallQtTranslator(*qApp, language));
        const QString name = language == kEnglish ? QStringLiteral("en") : QStringLiteral("ja");
        std::string savedAs;
        std::string choose;
        ASSERT_EQ(LoadLocalString(language, 5700, savedAs), 0);
        ASSERT_EQ(LoadLocalString(language, 5702, choose), 0);
        const QString path = QStringLiteral("/home/technician/logs/QX-7 2024-05-01/p1.zlg.txt");
        auto look = LookAtNextBox(name + QStringLiteral("-box-file-saved-as"));
        sink.Show(QString::fromStdString(savedAs).arg(path).toStdString(),
                  MessageKind::kInformation);
        EXPECT_EQ(look->icon, QMessageBox::Information);
        look = LookAtNextBox(name + QStringLiteral("-box-choose-block"));
        sink.Show(QString::fromStdString(choose).arg(QStringLiteral("Display")).toStdString(),
                  MessageKind::kInformation);
        EXPECT_EQ(look->icon, QMessageBox::Information);
        if (translator) {
            QCoreApplication::removeTranslator(translator.get());
        }
    }
}

TEST_F(MessageBoxSinkTest, BoxesAreModalOverTheOwner) {
    QDialog owner;
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    sink.SetOwner(&owner);
    const auto seen = AnswerNextMessageBox(QMessageBox::Ok);
    sink.ShowOk("over the sheet");
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->parent, &owner);
}

TEST_F(MessageBoxSinkTest, TheWaitCursorIsLiftedWhileABoxIsUp) {
    {
        gui::WaitCursorScope outer;
        gui::WaitCursorScope inner;
        const auto seen = AnswerNextMessageBox(QMessageBox::Yes);
        sink.AskYesNo("Go on?");
        ASSERT_TRUE(seen->seen);
        EXPECT_FALSE(seen->waitCursor);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MessageBoxSinkTest, ABoxAskedForOnAWorkerOpensOnTheWindowsThreadAndAnswersTheWorker) {
    // As a printer step asks while the window waits for it: the window's thread serves the
    // box, the worker gets the answer.
    for (const QMessageBox::StandardButton click : {QMessageBox::Yes, QMessageBox::No}) {
        // The OK box that follows the question is answered too, once the question is.
        std::shared_ptr<SeenBox> second;
        const auto seen = AnswerNextMessageBox(
            [&](QMessageBox& box) {
                second = AnswerNextMessageBox(QMessageBox::Ok, 30000);
                QTest::mouseClick(box.button(click), Qt::LeftButton);
            },
            30000);
        std::atomic<int> answer{-1};
        std::atomic<bool> shown{false};
        std::thread worker([&] {
            answer = sink.AskYesNo("Go on?") ? 1 : 0;
            sink.Show("Done.", MessageKind::kWarning);
            shown = true;
        });
        const bool ended = QTest::qWaitFor([&] { return shown.load(); }, 30000);
        if (!ended) {
            // Nothing answered: close whatever is up so that the worker can end.
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->reject();
            }
        }
        worker.join();
        ASSERT_TRUE(ended);
        ASSERT_TRUE(seen->seen);
        EXPECT_EQ(seen->text, QStringLiteral("Go on?"));
        EXPECT_EQ(answer.load(), click == QMessageBox::Yes ? 1 : 0);
        ASSERT_TRUE(second && second->seen);
        EXPECT_EQ(second->text, QStringLiteral("Done."));
    }
}

TEST_F(MessageBoxSinkTest, TheWaitCursorGoesOnEveryWayOut) {
    try {
        gui::WaitCursorScope wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MessageBoxSinkTest, JapaneseBoxesHaveQtsJapaneseButtons) {
    std::unique_ptr<QTranslator> translator(gui::InstallQtTranslator(*qApp, kJapanese));
    ASSERT_NE(translator, nullptr);
    const auto seen = AnswerNextMessageBox(QMessageBox::No);
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    QCoreApplication::removeTranslator(translator.get());
    ASSERT_TRUE(seen->seen);
    EXPECT_TRUE(seen->buttons.contains(QString::fromUtf8("はい(&Y)")));
    EXPECT_TRUE(seen->buttons.contains(QString::fromUtf8("いいえ(&N)")));
}

}  // namespace
}  // namespace qx7::test
