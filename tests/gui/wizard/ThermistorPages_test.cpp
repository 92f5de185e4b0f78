// The thermistor calibration pages: the confirmation 135, the thermometer reading 136 (units
// kept in step, the range, the printer's answer, the unit remembered) and the end 147.

#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "core/app/ThermistorCalibration.h"
#include "gui/app/ToolSettings.h"
#include "gui/wizard/InputPageTest.h"

namespace qx7::test {
namespace {

constexpr int kBox = 1327;
constexpr int kFahrenheit = 1010;
constexpr int kCelsius = 1011;
constexpr int kFahrenheitEdit = 1013;
constexpr int kCelsiusEdit = 1014;
// The carriage board road up to the calibration.
const std::vector<int> kRoadTo135{133, 130, 217, 157, 135};
const std::vector<int> kRoadTo136{133, 130, 217, 157, 135, 136};

class ThermistorPagesTest : public InputPageTest {
  protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override {
        InputPageTest::TearDown();
        ClearSettings();
    }
    static void ClearSettings() {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           gui::kSettingsOrganization, gui::kSettingsApplication);
        settings.clear();
        settings.sync();
    }

    QLineEdit* Edit(int number) const { return driver->ControlAs<QLineEdit>(number); }
    // Chooses the unit and types the reading into its edit.
    void Type(int unit, const QString& reading) {
        ASSERT_TRUE(driver->Choose(unit));
        ASSERT_TRUE(driver->SetText(unit == kFahrenheit ? kFahrenheitEdit : kCelsiusEdit, reading))
            << reading.toStdString();
    }
    QString OutOfRange(int fahrenheit) const {
        return QStringLiteral("Input Temperature is out of range.(-61) (%1 F)").arg(fahrenheit);
    }
    QString EnterNumber() const { return Says("Enter a number.", "数値を入力してください。"); }
};

TEST_P(ThermistorPagesTest, TheConfirmationPageOpensNextOnlyWhileTicked) {
    OpenAt("135", kOperationCarriageBoard, kRoadTo135);
    ExpectTableTexts();
    EXPECT_EQ(driver->Text(kBox), Says("More than 5 minutes have passed after turning ON the "
                                       "Printer.",
                                       "プリンターの電源を入れてから5分以上経過しました。"));
    EXPECT_FALSE(driver->IsChecked(kBox));
    EXPECT_TRUE(BackEnabled());
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(FocusedControl(), kBox);
    ExpectLabelsFit();
    driver->Screenshot();

    ASSERT_TRUE(driver->Choose(kBox));
    QCoreApplication::processEvents();
    EXPECT_TRUE(NextEnabled());
    ASSERT_TRUE(driver->Choose(kBox));
    QCoreApplication::processEvents();
    EXPECT_FALSE(NextEnabled());

    // Cancel asks; No keeps the page and its box.
    ASSERT_TRUE(driver->Choose(kBox));
    ASSERT_TRUE(driver->Cancel());
    EXPECT_EQ(harness->sink.asked.size(), 1U);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(driver->IsChecked(kBox));

    NextTo(136);
    // Coming back clears the box again.
    BackTo(135);
    EXPECT_FALSE(driver->IsChecked(kBox));
    EXPECT_FALSE(NextEnabled());
}

TEST_P(ThermistorPagesTest, TheReadingPageArrivesInFahrenheitWithTheDefaults) {
    OpenAt("136", kOperationCarriageBoard, kRoadTo136);
    ExpectTableTexts();
    EXPECT_TRUE(driver->IsChecked(kFahrenheit));
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "68");
    EXPECT_EQ(driver->Text(kCelsiusEdit), "20");
    EXPECT_TRUE(Edit(kFahrenheitEdit)->isEnabled());
    EXPECT_FALSE(Edit(kCelsiusEdit)->isEnabled());
    EXPECT_EQ(FocusedControl(), kFahrenheitEdit);
    EXPECT_EQ(Edit(kFahrenheitEdit)->accessibleName(),
              TableText(Language(), 352) + " " + TableText(Language(), 353));
    EXPECT_TRUE(BackEnabled());
    EXPECT_TRUE(NextEnabled());
    ExpectLabelsFit();
    driver->Screenshot();
    EXPECT_TRUE(TakeShown().empty());
}

TEST_P(ThermistorPagesTest, EachUnitFollowsTheOtherCutToTwoDecimals) {
    OpenAt("136-units", kOperationCarriageBoard, kRoadTo136);
    Type(kCelsius, "25");
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "77");
    EXPECT_FALSE(Edit(kFahrenheitEdit)->isEnabled());
    EXPECT_TRUE(Edit(kCelsiusEdit)->isEnabled());

    Type(kFahrenheit, "70");
    EXPECT_EQ(driver->Text(kCelsiusEdit), "21.11");  // 21.111... cut
    EXPECT_TRUE(Edit(kFahrenheitEdit)->isEnabled());
    EXPECT_FALSE(Edit(kCelsiusEdit)->isEnabled());

    // Switching the unit recomputes the other value from the newly selected one.
    ASSERT_TRUE(driver->Choose(kCelsius));
    EXPECT_EQ(driver->Text(kCelsiusEdit), "21.11");
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "69.99");
    EXPECT_TRUE(TakeShown().empty());
}

TEST_P(ThermistorPagesTest, ANonNumberIsSaidOnNextNotWhileTyping) {
    Restart("-demo");
    OpenAt("136-typing", kOperationCarriageBoard, kRoadTo136);
    Type(kCelsius, "25");
    // Typed key by key: a letter, and a minus sign on its way to a number, say nothing and
    // stay as typed; the other unit keeps the last number.
    QTest::keyClick(Edit(kCelsiusEdit), Qt::Key_A);
    EXPECT_TRUE(TakeShown().empty());
    EXPECT_EQ(driver->Text(kCelsiusEdit), "25a");
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "77");
    ASSERT_TRUE(driver->SetText(kCelsiusEdit, ""));
    QTest::keyClicks(Edit(kCelsiusEdit), QStringLiteral("-"));
    EXPECT_TRUE(TakeShown().empty());
    EXPECT_EQ(driver->Text(kCelsiusEdit), "-");
    QTest::keyClicks(Edit(kCelsiusEdit), QStringLiteral("5"));
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "23");
    EXPECT_TRUE(TakeShown().empty());

    // Enter in the edit is Next, which says it and stays with the reading to mend selected.
    ASSERT_TRUE(driver->SetText(kCelsiusEdit, "2x"));
    EXPECT_TRUE(TakeShown().empty());
    Edit(kCelsiusEdit)->setFocus();
    driver->Press(Qt::Key_Return);
    ASSERT_TRUE(driver->WaitForPage(136));
    EXPECT_EQ(TakeShown(), Shown(EnterNumber()));
    EXPECT_EQ(FocusedControl(), kCelsiusEdit);
    EXPECT_EQ(Edit(kCelsiusEdit)->selectedText(), "2x");
    EXPECT_EQ(harness->settings.TempUnit(), kTempUnitFahrenheit);  // nothing read, nothing kept

    // An empty edit converts nothing (the "2" of "2x" was the last number), and Next says
    // the same.
    ASSERT_TRUE(driver->SetText(kCelsiusEdit, ""));
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "35.6");
    EXPECT_TRUE(TakeShown().empty());
    NextStays();
    EXPECT_EQ(TakeShown(), Shown(EnterNumber()));

    // Mended, Enter goes on.
    QTest::keyClicks(Edit(kCelsiusEdit), QStringLiteral("25"));
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "77");
    driver->Press(Qt::Key_Return);
    EXPECT_TRUE(driver->WaitForPage(147));
    EXPECT_TRUE(TakeShown().empty());
}

TEST_P(ThermistorPagesTest, OnlyReadingsFrom50To95FahrenheitReachThePrinter) {
    UseSimulator();
    OpenAt("136-range", kOperationCarriageBoard, kRoadTo136);
    const struct {
        int unit;
        const char* reading;  // typed key by key
        int whole;            // T, whole degrees Fahrenheit
        bool sent;
    } cases[] = {{kCelsius, "9.7", 49, false}, {kFahrenheit, "95.5", 96, false},
                 {kCelsius, "35.2", 95, true}, {kFahrenheit, "95.4", 95, true},
                 {kCelsius, "25", 77, true},   {kFahrenheit, "49.4", 49, false},
                 {kFahrenheit, "50", 50, true}};
    std::string journal;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reading);
        Type(c.unit, QString::fromLatin1(c.reading));
        EXPECT_EQ(driver->Text(c.unit == kFahrenheit ? kFahrenheitEdit : kCelsiusEdit),
                  QString::fromLatin1(c.reading));
        if (!c.sent) {
            NextStays();
            EXPECT_EQ(TakeShown(), Shown(OutOfRange(c.whole)));
            continue;
        }
        NextTo(147);
        EXPECT_TRUE(TakeShown().empty());
        journal += "thermistor " + std::to_string(c.whole) + "\n";
        EXPECT_EQ(sim->Journal(), journal);
        BackTo(136);
    }
}

TEST_P(ThermistorPagesTest, ThePrintersRefusalAndSilenceHaveTheirOwnMessages) {
    {
        UseSimulator("refuse");
        OpenAt("136-refused", kOperationCarriageBoard, kRoadTo136);
        NextStays();
        EXPECT_EQ(TakeShown(), Shown(Says("The input value is far from the present temperature."
                                          "\nInput the appropriate value.",
                                          "入力された値が現在の温度と大きく異なります。\n"
                                          "正しい値を入力してください。")));
        EXPECT_EQ(sim->Journal(), "thermistor 68\n");
        driver.reset();
        sheet.reset();
    }
    Restart();
    UseSimulator("silent");
    OpenAt("136-silent", kOperationCarriageBoard, kRoadTo136);
    NextStays();
    EXPECT_EQ(TakeShown(), Shown(TableText(Language(), 237) + " (-31)"));
    EXPECT_EQ(sim->Journal(), "thermistor 68\n");
}

TEST_P(ThermistorPagesTest, TheUnitChosenOnNextIsPreselectedAfterARestart) {
    Restart("-demo");
    OpenAt("136-unit", kOperationCarriageBoard, kRoadTo136);
    Type(kCelsius, "9.7");
    NextStays();  // out of range, but the reading was read: the unit is kept
    EXPECT_EQ(harness->settings.TempUnit(), kTempUnitCelsius);
    Type(kCelsius, "21");
    NextTo(147);
    driver.reset();
    sheet.reset();

    // A new program on the same settings.
    Restart("-demo");
    OpenAt("136-unit-again", kOperationCarriageBoard, kRoadTo136);
    EXPECT_TRUE(driver->IsChecked(kCelsius));
    EXPECT_EQ(driver->Text(kCelsiusEdit), "20");
    EXPECT_EQ(driver->Text(kFahrenheitEdit), "68");
    EXPECT_TRUE(Edit(kCelsiusEdit)->isEnabled());
    EXPECT_EQ(FocusedControl(), kCelsiusEdit);
    ASSERT_TRUE(driver->Choose(kFahrenheit));
    NextTo(147);
    EXPECT_EQ(harness->settings.TempUnit(), kTempUnitFahrenheit);
}

TEST_P(ThermistorPagesTest, TheMainBoardRoadConfirmsTheSpeedAdjustmentAndGoesOnToFiring) {
    Restart("-demo");
    OpenAt("135-main", kOperationMainBoard,
           {133, 263, 130, 217, 157, 160, 163, 279, 148, 149, 135});
    ExpectTableTexts();
    EXPECT_EQ(driver->Text(kBox),
              Says("Confirmed that Carriage Speed Adjustment is successfully finished. ",
                   "キャリッジ速度調整が正常に終了したことを確認しました。"));
    ExpectLabelsFit();
    driver->Screenshot();
    ASSERT_TRUE(driver->Choose(kBox));
    NextTo(136);
    NextTo(257);
    EXPECT_TRUE(harness->spooler.calls.empty());
}

TEST_P(ThermistorPagesTest, TheEndPageLeadsToTheOperationMenuAndCancelClosesAtOnce) {
    Restart("-demo");
    OpenAt("147", kOperationCarriageBoard, {133, 130, 217, 157, 135, 136, 147});
    ExpectTableTexts();
    EXPECT_TRUE(BackEnabled());
    EXPECT_TRUE(NextEnabled());
    ExpectLabelsFit();
    driver->Screenshot();
    BackTo(136);
    NextTo(147);
    NextTo(PageNumber(PageId::kOperationMenu));
    ASSERT_TRUE(sheet->SetActivePage(147));
    ASSERT_TRUE(driver->Cancel());
    EXPECT_TRUE(harness->sink.asked.empty());
    EXPECT_FALSE(sheet->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Languages, ThermistorPagesTest, ::testing::Values(kEnglish, kJapanese),
                         LanguageCaseName);

}  // namespace
}  // namespace qx7::test
