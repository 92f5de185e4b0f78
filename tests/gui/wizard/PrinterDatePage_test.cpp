// The printer date pages: 160 follows the PC's clock or takes typed values and sends them,
// 163 goes on by the road.

#include <QCheckBox>
#include <QLineEdit>

#include "core/base/LocalTime.h"
#include "gui/wizard/InputPageTest.h"
#include "gui/wizard/PrinterDatePage.h"

namespace qx7::test {
namespace {

constexpr int kUsePcTime = 1073;
constexpr int kMonth = 1075;
constexpr int kDay = 1076;
constexpr int kYear = 1074;
constexpr int kHour = 1077;
constexpr int kMinute = 1078;
constexpr int kSecond = 1079;
// Left to right, as the page shows them.
constexpr int kFields[] = {kMonth, kDay, kYear, kHour, kMinute, kSecond};
const std::vector<int> kClockRoad{156, 130, 217, 160};

// The system's local time, except that no wall-clock time converts.
class NoConversionClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return clock_.Now(); }
    std::int64_t StandardOffsetWestSeconds() const override {
        return clock_.StandardOffsetWestSeconds();
    }
    TimeZoneFacts ZoneFacts() const override { return clock_.ZoneFacts(); }
    std::optional<std::int64_t> FromLocal(const CivilTime&) const override { return {}; }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return clock_.ToLocal(seconds);
    }

  private:
    FixedNowLocalTime clock_{kHarnessNow};
};

class DatePagesTest : public InputPageTest {
  protected:
    gui::PrinterDatePage& Page() const {
        return dynamic_cast<gui::PrinterDatePage&>(*sheet->Page(160));
    }
    QStringList Fields() const {
        QStringList texts;
        for (int field : kFields) {
            texts << driver->Text(field);
        }
        return texts;
    }
    bool FieldsEnabled() const {
        for (int field : kFields) {
            if (!driver->Control(field)->isEnabled()) {
                return false;
            }
        }
        return true;
    }
    // Clears the box and types month, day, year, hour, minute, second.
    void TypeDate(const QStringList& values) {
        if (driver->IsChecked(kUsePcTime)) {
            ASSERT_TRUE(driver->Choose(kUsePcTime));
        }
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(driver->SetText(kFields[i], values[i])) << kFields[i];
        }
    }
    QString Between(int low, int high) const {
        return Japanese()
                   ? QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high)
                   : QStringLiteral("Enter an integer between %1 and %2.").arg(low).arg(high);
    }
};

TEST_P(DatePagesTest, TheFieldsFollowThePcClockWhileTheBoxIsTicked) {
    OpenAt("160", kOperationSetClock, kClockRoad);
    ExpectTableTexts();
    EXPECT_TRUE(driver->IsChecked(kUsePcTime));
    EXPECT_FALSE(FieldsEnabled());
    // 2024-05-01 12:00:00 in Tokyo.
    EXPECT_EQ(Fields(), QStringList({"5", "1", "2024", "12", "0", "0"}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(driver->Control(kFields[i])->accessibleName(), TableText(Language(), 326 + i));
    }
    EXPECT_FALSE(driver->IsShown(1279));
    EXPECT_FALSE(driver->IsShown(1226));
    EXPECT_EQ(driver->ControlAs<QLabel>(1226)->text(), "JST");
    EXPECT_EQ(FocusedControl(), kUsePcTime);
    EXPECT_TRUE(BackEnabled());
    EXPECT_TRUE(NextEnabled());
    EXPECT_TRUE(Page().IsRefreshing());
    ExpectLabelsFit();
    driver->Screenshot();

    harness->clock.SetNow(kHarnessNow + 24 * 3600 * 245 + 3723);  // 2025-01-01 13:02:03
    Page().Tick();
    EXPECT_EQ(Fields(), QStringList({"1", "1", "2025", "13", "2", "3"}));

    // Cleared: the values stay and take typing; the clock no longer moves them.
    ASSERT_TRUE(driver->Choose(kUsePcTime));
    EXPECT_TRUE(FieldsEnabled());
    harness->clock.SetNow(kHarnessNow);
    Page().Tick();
    EXPECT_EQ(Fields(), QStringList({"1", "1", "2025", "13", "2", "3"}));
    EXPECT_TRUE(driver->SetText(kMinute, "45"));
    driver->Screenshot();
    // Ticked again: the next second shows the PC's time.
    ASSERT_TRUE(driver->Choose(kUsePcTime));
    EXPECT_FALSE(FieldsEnabled());
    Page().Tick();
    EXPECT_EQ(Fields(), QStringList({"5", "1", "2024", "12", "0", "0"}));
}

TEST_P(DatePagesTest, AFieldOutOfItsRangeIsNamedFocusedAndNothingIsSent) {
    UseSimulator();
    OpenAt("160-range", kOperationSetClock, kClockRoad);
    const struct {
        QStringList typed;
        int failing;
        QString message;
    } cases[] = {
        {{"2", "32", "2015", "10", "0", "0"}, kDay, Between(1, 31)},
        {{"2", "1", "1999", "10", "0", "0"}, kYear, Between(2000, 2100)},
        // The day is read before the year.
        {{"2", "0", "1999", "10", "0", "0"}, kDay, Between(1, 31)},
        {{"13", "1", "2015", "24", "0", "0"}, kHour, Between(0, 23)},
        {{"2", "1", "2015", "10", "x", "0"},
         kMinute,
         Says("Enter an integer.", "整数を入力してください。")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.join('/').toStdString());
        TypeDate(c.typed);
        NextStays();
        EXPECT_EQ(TakeShown(), Shown(c.message));
        EXPECT_EQ(FocusedControl(), c.failing);
        EXPECT_TRUE(Page().IsRefreshing());
        EXPECT_EQ(Fields(), c.typed);
    }
    EXPECT_EQ(sim->Journal(), "");
}

TEST_P(DatePagesTest, February30RollsOverAndThePrinterGetsTrueUtc) {
    UseSimulator();
    OpenAt("160-sent", kOperationSetClock, kClockRoad);
    TypeDate({"2", "30", "2015", "10", "0", "0"});
    NextTo(163);
    EXPECT_FALSE(Page().IsRefreshing());
    EXPECT_TRUE(TakeShown().empty());
    // 2015-03-02 10:00 in Tokyo is 01:00 UTC.
    const std::int64_t sent = SecondsFromUtc({2015, 3, 2, 1, 0, 0}) - kPrinterEpoch;
    EXPECT_EQ(sim->Journal(), "clock " + std::to_string(sent) + "\n");
    EXPECT_EQ(harness->app.History(), (std::vector<int>{156, 130, 217, 160, 163}));

    // The PC's time, as shown.
    BackTo(160);
    NextTo(163);
    EXPECT_EQ(sim->Journal(), "clock " + std::to_string(sent) + "\nclock " +
                                  std::to_string(kHarnessNow - kPrinterEpoch) + "\n");
}

TEST_P(DatePagesTest, APrinterThatDoesNotAnswerKeepsThePageAndItsClock) {
    UseSimulator("silent");
    OpenAt("160-silent", kOperationBattery, {133, 130, 217, 160});
    NextStays();
    EXPECT_EQ(TakeShown(), Shown(TableText(Language(), 237) + " (-191)"));
    EXPECT_TRUE(Page().IsRefreshing());
    EXPECT_EQ(sim->Journal(), "clock " + std::to_string(kHarnessNow - kPrinterEpoch) + "\n");
}

TEST_P(DatePagesTest, ATimeThatCannotBeComputedIsACommunicationErrorAndNothingIsSent) {
    NoConversionClock clock;
    const gui::PageContext context{harness->app,      harness->files,    harness->opener,
                                   harness->programs, harness->settings, clock,
                                   harness->options};
    sheet = std::make_unique<gui::WizardSheet>(context, WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "160-no-time");
    ASSERT_TRUE(driver->Show());
    harness->app.Printer().SetSelectedPrinter("QX-7");
    ASSERT_TRUE(sheet->SetActivePage(160));
    ASSERT_TRUE(driver->WaitForPage(160));
    NextStays();
    EXPECT_EQ(TakeShown(), Shown(TableText(Language(), 237) + " (-191)"));
    EXPECT_TRUE(Page().IsRefreshing());
    EXPECT_TRUE(harness->spooler.calls.empty());
    driver.reset();
    sheet.reset();
}

TEST_P(DatePagesTest, DemoModeGoesStraightOnAndBackAndCancelLookAfterTheClock) {
    Restart("-demo");
    OpenAt("160-demo", kOperationSetClock, kClockRoad);
    NextTo(163);
    EXPECT_TRUE(harness->spooler.calls.empty());
    BackTo(160);
    EXPECT_TRUE(Page().IsRefreshing());
    BackTo(217);
    EXPECT_FALSE(Page().IsRefreshing());
    NextTo(160);

    // Cancel asks; No keeps the page following the clock, Yes closes and stops it.
    ASSERT_TRUE(driver->Cancel());
    EXPECT_EQ(harness->sink.asked,
              std::vector<std::string>{TableText(Language(), 113).toStdString()});
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(Page().IsRefreshing());
    harness->sink.answer = true;
    ASSERT_TRUE(driver->Cancel());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(Page().IsRefreshing());
}

TEST_P(DatePagesTest, TheDonePageGoesOnByTheRoadAndAsksOnCancel) {
    Restart("-demo");
    const struct {
        int operation;
        std::vector<int> road;
        int next;
    } roads[] = {{kOperationMainBoard, {133, 263, 130, 217, 157, 160, 163}, 279},
                 {kOperationSetClock, {156, 130, 217, 160, 163}, 156},
                 {kOperationBattery, {133, 130, 217, 160, 163}, 172}};
    for (const auto& road : roads) {
        SCOPED_TRACE(road.operation);
        OpenAt("163", road.operation, road.road);
        ExpectTableTexts();
        EXPECT_TRUE(BackEnabled());
        EXPECT_TRUE(NextEnabled());
        ExpectLabelsFit();
        driver->Screenshot();
        ASSERT_TRUE(driver->Cancel());
        EXPECT_EQ(harness->sink.asked.size(), 1U);
        harness->sink.asked.clear();
        NextTo(road.next);
        driver.reset();
        sheet.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DatePagesTest, ::testing::Values(kEnglish, kJapanese),
                         LanguageCaseName);

}  // namespace
}  // namespace qx7::test
