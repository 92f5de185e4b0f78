// The sheet's own rules, on scripted pages: buttons and their requests, which page a handler
// answer shows, Enter, Escape, Cancel and the close box, input queued while a handler runs,
// the title bar, the button captions.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <memory>

#include "core/text/StringTable.h"
#include "gui/app/WizardSheet.h"
#include "gui/app/Startup.h"
#include "gui/support/GuiHarness.h"
#include "gui/support/ScriptedPage.h"
#include "gui/support/SheetDriver.h"

namespace qx7::test {
namespace {

constexpr int kMissingTitle = 99999;
constexpr int kUnregistered = 217;

// Four pages, one of them (217) without a class.
constexpr WizardPageInfo kPages[] = {
    {PageId{133}, "ScriptedPage", "ScriptedPage", 102, kWizardNext, 0, false},
    {PageId{130}, "ScriptedPage", "ScriptedPage", 318, kWizardBackNext, 0, false},
    {PageId{kUnregistered}, "ScriptedPage", "ScriptedPage", 318, kWizardBack, 0, false},
    {PageId{160}, "ScriptedPage", "ScriptedPage", kMissingTitle, kWizardBackNext, 0, true},
    {PageId{225}, "ScriptedPage", "ScriptedPage", 102, kWizardBackFinish, 0, false},
};

std::string Entry(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return text;
}

class SheetTest : public ::testing::Test {
  protected:
    explicit SheetTest(LanguageId language = kEnglish) : harness(language) {}

    void SetUp() override {
        sheet = harness.MakeSheet(kPages, registry);
        driver = std::make_unique<SheetDriver>(*sheet, "framework");
        ASSERT_TRUE(driver->Show());
    }
    void TearDown() override {
        driver.reset();
        sheet.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    ScriptedPage& PageOf(int templateId) {
        ScriptedPage* page = Scripted(*sheet, templateId);
        EXPECT_NE(page, nullptr);
        return *page;
    }
    QPushButton* Button(const char* name) { return driver->Button(name); }

    GuiHarness harness;
    gui::PageRegistry registry = ScriptedRegistry({133, 130, 160, 225});
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
};

TEST_F(SheetTest, OpensOnTheFirstPageWithTheButtonsItAskedFor) {
    EXPECT_EQ(sheet->CurrentTemplate(), 133);
    EXPECT_EQ(PageOf(133).activations, 1);
    EXPECT_EQ(sheet->WizardButtons(), kWizardNext);
    EXPECT_FALSE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_TRUE(Button("nextButton")->isDefault());
    EXPECT_FALSE(Button("finishButton")->isVisible());
    EXPECT_TRUE(driver->IsEnabled("cancelButton"));
    EXPECT_EQ(sheet->MissingPages(), std::vector<int>{kUnregistered});
}

TEST_F(SheetTest, APageJustShownHasTheFocusOnItsFirstInputAndAStayKeepsItWhereItWas) {
    EXPECT_EQ(QApplication::focusWidget(), PageOf(133).edit);
    // Next that stays: the focus goes back to the button clicked.
    ASSERT_TRUE(driver->Next());
    EXPECT_EQ(QApplication::focusWidget(), Button("nextButton"));
    PageOf(133).nextAnswer = 130;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(130));
    EXPECT_EQ(QApplication::focusWidget(), PageOf(130).edit);
    // A page without a control that takes Tab leaves it on the default button.
    PageOf(160).edit->hide();
    PageOf(130).nextAnswer = 160;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(160));
    EXPECT_EQ(QApplication::focusWidget(), Button("nextButton"));
}

TEST_F(SheetTest, FinishTakesThePlaceOfNextAndClosesTheSheet) {
    PageOf(133).nextAnswer = 225;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(225));
    EXPECT_FALSE(Button("nextButton")->isVisible());
    EXPECT_TRUE(driver->IsEnabled("finishButton"));
    EXPECT_TRUE(Button("finishButton")->isDefault());
    EXPECT_TRUE(driver->IsEnabled("backButton"));

    // A page may refuse to finish.
    PageOf(225).finishAnswer = false;
    ASSERT_TRUE(driver->Finish());
    EXPECT_TRUE(sheet->isVisible());

    PageOf(225).finishAnswer = true;
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(PageOf(225).finishCalls, 2);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

TEST_F(SheetTest, ButtonRequestsTakeEffectAfterActivationAndTheLaterWins) {
    ScriptedPage& second = PageOf(130);
    second.postOnActivate = {kWizardBackNext, kWizardBack};
    PageOf(133).nextAnswer = 130;
    second.backAnswer = 133;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(130));
    // Posted, not applied: during the activation the first page's buttons were still in force.
    EXPECT_EQ(second.buttonsAfterPosting, kWizardNext);
    EXPECT_EQ(sheet->WizardButtons(), kWizardBack);
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));

    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(133));
    second.postOnActivate = {kWizardBack, kWizardBackNext};
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(130));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));

    // A page that leaves the buttons as they were.
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(133));
    second.postOnActivate = {kButtonsUnchanged};
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(130));
    EXPECT_EQ(sheet->WizardButtons(), kWizardNext);
}

TEST_F(SheetTest, HandlerAnswersChooseThePage) {
    ScriptedPage& first = PageOf(133);
    ScriptedPage& second = PageOf(130);

    // -1 stays without activating anything again.
    ASSERT_TRUE(driver->Next());
    EXPECT_EQ(first.nextCalls, 1);
    EXPECT_EQ(sheet->CurrentTemplate(), 133);
    EXPECT_EQ(first.activations, 1);
    EXPECT_EQ(first.deactivations, 0);

    // 0: the next page in sheet order.
    first.nextAnswer = 0;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(130));
    EXPECT_EQ(first.deactivations, 1);
    EXPECT_EQ(second.activations, 1);

    // A template number: that page, wherever it stands.
    second.backAnswer = 133;
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(133));
    EXPECT_EQ(first.activations, 2);
    first.nextAnswer = 160;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(160));
    EXPECT_EQ(driver->PagesShown(), (std::vector<int>{133, 130, 133, 160}));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(SheetTest, AnAnswerWithoutAPageIsAnInternalErrorAndStays) {
    const std::string expected = Entry(kEnglish, 242) + " (-282)";
    for (int answer : {999, kUnregistered}) {
        harness.sink.shown.clear();
        PageOf(133).nextAnswer = answer;
        ASSERT_TRUE(driver->Next());
        EXPECT_EQ(sheet->CurrentTemplate(), 133) << answer;
        EXPECT_EQ(harness.sink.shown, std::vector<std::string>{expected}) << answer;
        EXPECT_TRUE(driver->IsEnabled("nextButton"));
    }
}

TEST_F(SheetTest, EnterPressesTheFocusedButtonElseNextAndOnlyWhenEnabled) {
    ScriptedPage& first = PageOf(133);
    // A push button the page adds after the sheet took it in, as a viewer button.
    auto* viewer = new QPushButton(QStringLiteral("View"), &first);
    first.layout()->addWidget(viewer);
    viewer->show();
    int pressed = 0;
    QObject::connect(viewer, &QPushButton::clicked, [&pressed] { ++pressed; });

    // The focus arrives on the edit: Enter is Next's.
    ASSERT_EQ(QApplication::focusWidget(), first.edit);
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(first.nextCalls, 1);

    // A focused push button takes Enter, the keypad's Enter and Space itself.
    viewer->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    driver->Press(Qt::Key_Enter);
    driver->Press(Qt::Key_Space);
    EXPECT_EQ(pressed, 3);
    EXPECT_EQ(first.nextCalls, 1);
    EXPECT_TRUE(viewer->isDefault());
    EXPECT_FALSE(Button("nextButton")->isDefault());

    // Back in the field, Next is the default again.
    first.edit->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(Button("nextButton")->isDefault());
    driver->Press(Qt::Key_Enter);
    EXPECT_EQ(first.nextCalls, 2);
    EXPECT_EQ(pressed, 3);

    // Cancel focused: Enter is Cancel, which asks the page.
    first.cancelAnswer = false;
    Button("cancelButton")->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(first.cancelQueries, 1);
    EXPECT_EQ(first.nextCalls, 2);
    EXPECT_TRUE(sheet->isVisible());

    // Next disabled: Enter in the field does nothing.
    sheet->PostWizardButtons(kWizardBack);
    QCoreApplication::processEvents();
    first.edit->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(first.nextCalls, 2);
    EXPECT_EQ(pressed, 3);
}

TEST_F(SheetTest, FinishIsTheDefaultOnlyWhileNoPushButtonHasTheFocus) {
    PageOf(133).nextAnswer = 225;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(225));
    ScriptedPage& last = PageOf(225);
    auto* viewer = new QPushButton(QStringLiteral("View"), &last);
    last.layout()->addWidget(viewer);
    viewer->show();
    int pressed = 0;
    QObject::connect(viewer, &QPushButton::clicked, [&pressed] { ++pressed; });

    viewer->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(last.finishCalls, 0);
    EXPECT_TRUE(sheet->isVisible());

    last.edit->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    EXPECT_EQ(last.finishCalls, 1);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

TEST_F(SheetTest, KeysQueuedWhileAHandlerRunsFallOnNothingWhereverTheFocusWas) {
    ScriptedPage& first = PageOf(133);
    ScriptedPage& second = PageOf(130);
    first.nextAnswer = kStayOnPage;
    auto* viewer = new QPushButton(QStringLiteral("View"), &first);
    first.layout()->addWidget(viewer);
    viewer->show();
    int pressed = 0;
    QObject::connect(viewer, &QPushButton::clicked, [&pressed] { ++pressed; });
    // Keys typed while the handler blocks go where the window's focus is when they are
    // delivered, as the display's keys do.
    first.duringNext = [&] {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter}) {
            QCoreApplication::postEvent(sheet->windowHandle(),
                                        new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                      key == Qt::Key_Space ? " " : "\r"));
            QCoreApplication::postEvent(sheet->windowHandle(),
                                        new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier,
                                                      key == Qt::Key_Space ? " " : "\r"));
        }
    };

    // Enter twice on the focused Next: the second Enter is lost, and so are the keys that
    // would have fallen on the page's button, where the focus goes on when the disabled
    // buttons give it up (the edit before it in the tab order is disabled here).
    first.edit->setEnabled(false);
    Button("nextButton")->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(first.nextCalls, 1);
    EXPECT_EQ(pressed, 0);
    EXPECT_FALSE(sheet->IsBusy());
    EXPECT_EQ(QApplication::focusWidget(), Button("nextButton"));

    // The same from the page's own button, when Next was clicked.
    viewer->setFocus(Qt::TabFocusReason);
    first.nextAnswer = 130;
    ASSERT_TRUE(driver->Next());
    QCoreApplication::processEvents();
    EXPECT_EQ(first.nextCalls, 2);
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(second.nextCalls, 0);
    EXPECT_EQ(sheet->CurrentTemplate(), 130);
}

TEST_F(SheetTest, CancelEscapeAndTheCloseBoxAllAskThePage) {
    ScriptedPage& first = PageOf(133);
    first.cancelAnswer = false;
    ASSERT_TRUE(driver->Cancel());
    EXPECT_EQ(first.cancelQueries, 1);
    driver->Press(Qt::Key_Escape);
    EXPECT_EQ(first.cancelQueries, 2);
    EXPECT_FALSE(sheet->close());
    EXPECT_EQ(first.cancelQueries, 3);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->CurrentTemplate(), 133);

    first.cancelAnswer = true;
    EXPECT_TRUE(sheet->close());
    EXPECT_EQ(first.cancelQueries, 4);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

TEST_F(SheetTest, CancelOnAPageThatAsksClosesOnlyOnYes) {
    // 133 does not ask: no question, closes at once (checked last).
    PageOf(133).nextAnswer = 160;
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(160));
    PageOf(160).edit->setText(QStringLiteral("typed"));

    harness.sink.answer = false;
    ASSERT_TRUE(driver->Cancel());
    ASSERT_EQ(harness.sink.asked.size(), 1u);
    EXPECT_EQ(harness.sink.asked[0], Entry(kEnglish, 113));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->CurrentTemplate(), 160);
    EXPECT_EQ(PageOf(160).edit->text(), QStringLiteral("typed"));

    harness.sink.answer = true;
    driver->Press(Qt::Key_Escape);
    EXPECT_EQ(harness.sink.asked.size(), 2u);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SheetTest, APageThatDoesNotAskClosesAtOnce) {
    ASSERT_TRUE(driver->Cancel());
    EXPECT_TRUE(harness.sink.asked.empty());
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SheetTest, InputArrivingWhileAHandlerRunsIsDropped) {
    ScriptedPage& first = PageOf(133);
    ScriptedPage& second = PageOf(130);
    first.nextAnswer = 130;
    second.nextAnswer = 160;
    second.backAnswer = 133;
    QPushButton* next = Button("nextButton");
    QPushButton* back = Button("backButton");
    bool busyInside = false;
    bool buttonsDisabledInside = false;
    first.duringNext = [&] {
        busyInside = sheet->IsBusy();
        buttonsDisabledInside =
            !next->isEnabled() && !back->isEnabled() && !Button("cancelButton")->isEnabled();
        // The second click of a double click, and Enter, queue up while the handler blocks.
        const QPointF centre = QRectF(next->rect()).center();
        const QPointF global = next->mapToGlobal(centre);
        QCoreApplication::postEvent(
            next, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            next, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                  Qt::NoButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            sheet.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        QCoreApplication::postEvent(
            sheet.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        // A click delivered at once, while the handler is still running.
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(back, Qt::LeftButton);
    };

    ASSERT_TRUE(driver->Next());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(busyInside);
    EXPECT_TRUE(buttonsDisabledInside);
    EXPECT_EQ(first.nextCalls, 1);
    EXPECT_EQ(second.nextCalls, 0);
    EXPECT_EQ(second.backCalls, 0);
    EXPECT_EQ(first.cancelQueries + second.cancelQueries, 0);
    EXPECT_EQ(sheet->CurrentTemplate(), 130);
    EXPECT_TRUE(sheet->isVisible());

    // Once the handler has returned, the buttons answer again.
    EXPECT_FALSE(sheet->IsBusy());
    ASSERT_TRUE(driver->Next());
    EXPECT_EQ(second.nextCalls, 1);
    EXPECT_EQ(sheet->CurrentTemplate(), 160);
}

TEST_F(SheetTest, TheTitleBarShowsThePageTitle) {
    EXPECT_EQ(sheet->windowTitle(), QString::fromStdString(Entry(kEnglish, 102)));
    PageOf(133).nextAnswer = 130;
    PageOf(130).nextAnswer = 160;
    ASSERT_TRUE(driver->Next());
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Select QX-7 Printer"));
    // A title string the table lacks: the sheet's caption.
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(160));
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("QX-7 Service Tool for User"));
}

class JapaneseSheetTest : public SheetTest {
  protected:
    JapaneseSheetTest() : SheetTest(kJapanese) {}
};

TEST_F(JapaneseSheetTest, TitlesAreInTheToolsLanguage) {
    EXPECT_EQ(sheet->windowTitle(), QString::fromStdString(Entry(kJapanese, 102)));
    EXPECT_NE(Entry(kJapanese, 102), Entry(kEnglish, 102));
}

TEST(SheetCaptions, ButtonCaptionsAreQtsWizardTextsInTheInstalledLanguage) {
    GuiHarness harness;
    gui::PageRegistry registry = ScriptedRegistry({133});
    {
        const auto sheet = harness.MakeSheet(kPages, registry);
        EXPECT_EQ(sheet->findChild<QPushButton*>("nextButton")->text(), "&Next >");
        EXPECT_EQ(sheet->findChild<QPushButton*>("backButton")->text(), "< &Back");
        EXPECT_EQ(sheet->findChild<QPushButton*>("finishButton")->text(), "&Finish");
        EXPECT_EQ(sheet->findChild<QPushButton*>("cancelButton")->text(), "Cancel");
    }
    EXPECT_EQ(gui::InstallQtTranslator(*qApp, kEnglish), nullptr);
    std::unique_ptr<QTranslator> translator(gui::InstallQtTranslator(*qApp, kJapanese));
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translation (qt6-translations-l10n)";
    {
        const auto sheet = harness.MakeSheet(kPages, registry);
        EXPECT_EQ(sheet->findChild<QPushButton*>("nextButton")->text(),
                  QString::fromUtf8("次へ(&N) >"));
        EXPECT_EQ(sheet->findChild<QPushButton*>("backButton")->text(),
                  QString::fromUtf8("< 戻る(&B)"));
        EXPECT_EQ(sheet->findChild<QPushButton*>("finishButton")->text(),
                  QString::fromUtf8("完了(&F)"));
        EXPECT_EQ(sheet->findChild<QPushButton*>("cancelButton")->text(),
                  QString::fromUtf8("キャンセル"));
    }
    QCoreApplication::removeTranslator(translator.get());
}

TEST(PageRegistryTest, ASecondClassForATemplateIsRefusedAndListed) {
    gui::PageRegistry registry;
    const auto make = [](const gui::PageContext& context) -> gui::WizardPage* {
        return new ScriptedPage(context, 130);
    };
    EXPECT_TRUE(registry.Add(PageId{130}, "CServFirst", make));
    EXPECT_FALSE(registry.Add(PageId{130}, "CSomethingElse", make));
    ASSERT_NE(registry.Find(PageId{130}), nullptr);
    EXPECT_EQ(registry.Find(PageId{130})->className, "CServFirst");
    EXPECT_EQ(registry.Duplicates(), std::vector<std::string>{"130 CSomethingElse"});
    EXPECT_EQ(registry.Find(PageId{133}), nullptr);
}

}  // namespace
}  // namespace qx7::test
