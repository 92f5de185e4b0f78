#include "core/app/PrinterDateFields.h"

#include <gtest/gtest.h>

#include "core/app/QVJServToolApp.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

const std::string kCommunication =
    "Communication Error.\nCheck Connection and try again.\nIf another Communication Error "
    "occurs, QX-7 Printer needs restart.\nTurn QX-7 Printer OFF and ON and try again.";

DateFieldTexts Fields(int year, int month, int day, int hour, int minute, int second) {
    return DateFieldTextsFrom(CivilTime{year, month, day, hour, minute, second});
}

TEST(DateFieldCheckTest, FirstFailingFieldInReadingOrder) {
    struct Case {
        DateFieldTexts texts;
        int control;
        std::string message;
    };
    const Case cases[] = {
        {Fields(1999, 1, 32, 0, 0, 0), 1076, "Enter an integer between 1 and 31."},
        {Fields(1999, 13, 1, 24, 0, 0), 1077, "Enter an integer between 0 and 23."},
        {Fields(2000, 13, 1, 0, 60, 60), 1078, "Enter an integer between 0 and 59."},
        {Fields(2000, 13, 1, 0, 0, 60), 1075, "Enter an integer between 1 and 12."},
        {Fields(2101, 0 + 12, 1, 0, 0, 60), 1079, "Enter an integer between 0 and 59."},
        {Fields(1999, 12, 31, 23, 59, 59), 1074, "Enter an integer between 2000 and 2100."},
        {{"2015", "2", "", "0", "0", "0"}, 1076, "Enter an integer."},
        {{"2015", "x", "1", "0", "0", "0"}, 1075, "Enter an integer."},
        {{"2015", "2", "1", "0", "0", "0.5"}, 1079, "Enter an integer."},
    };
    for (const Case& c : cases) {
        const DateFieldCheck check = CheckDateFields(c.texts, kEnglish);
        EXPECT_FALSE(check.time);
        EXPECT_EQ(check.failingControl, c.control);
        EXPECT_EQ(check.message, c.message);
    }
    EXPECT_EQ(CheckDateFields(Fields(2015, 2, 1, 0, 0, 0), kJapanese).message, "");
    EXPECT_EQ(CheckDateFields(Fields(2015, 2, 0, 0, 0, 0), kJapanese).message,
              "1 から 31 までの整数を入力してください。");
}

TEST(DateFieldCheckTest, ValuesAtTheRangeEndsPass) {
    const DateFieldCheck low = CheckDateFields(Fields(2000, 1, 1, 0, 0, 0), kEnglish);
    ASSERT_TRUE(low.time);
    EXPECT_EQ(*low.time, (CivilTime{2000, 1, 1, 0, 0, 0}));
    const DateFieldCheck high = CheckDateFields({" 2100", "12 ", "31", "23", "59", "59"}, kEnglish);
    ASSERT_TRUE(high.time);
    EXPECT_EQ(*high.time, (CivilTime{2100, 12, 31, 23, 59, 59}));
    EXPECT_EQ(Fields(2015, 3, 2, 7, 5, 9).month, "3");
}

TEST(DateFieldCheckTest, PrinterClockFromTypedFields) {
    QX7_PIN_TIME_ZONE(utc, "UTC");
    test::FixedNowLocalTime clock(1700000000);
    // February 30 rolls over into March 2.
    const auto rolled = PrinterClockFromLocal({2015, 2, 30, 0, 0, 0}, clock);
    const auto march = PrinterClockFromLocal({2015, 3, 2, 0, 0, 0}, clock);
    ASSERT_TRUE(rolled && march);
    EXPECT_EQ(*rolled, *march);
    EXPECT_EQ(*march, SecondsFromUtc({2015, 3, 2, 0, 0, 0}) - test::kPrinterEpoch);
    EXPECT_EQ(PrinterClockFromLocal({2000, 1, 2, 0, 0, 0}, clock), 86400u);
    // East of UTC the first moment of 2000 lies before the printer's epoch: 0.
    QX7_PIN_TIME_ZONE(tokyo, "Asia/Tokyo");
    EXPECT_EQ(PrinterClockFromLocal({2000, 1, 1, 0, 0, 0}, clock), 0u);
}

// A zone whose facts the test sets.
class FactsClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return now; }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return facts; }
    std::optional<std::int64_t> FromLocal(const CivilTime&) const override { return local; }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return known ? UtcFromSeconds(seconds) : std::nullopt;
    }
    std::int64_t now = 0;
    TimeZoneFacts facts;
    std::optional<std::int64_t> local;
    bool known = true;
};

TEST(DateFieldCheckTest, ZoneNameAndPcTime) {
    FactsClock clock;
    clock.facts.standardName = "CET";
    clock.facts.daylightName = "CEST";
    EXPECT_EQ(TimeZoneName(clock), "CET");
    clock.facts.daylightNow = true;
    EXPECT_EQ(TimeZoneName(clock), "CEST");

    clock.now = SecondsFromUtc({2024, 7, 9, 13, 4, 5});
    EXPECT_EQ(PcLocalTimeNow(clock), (CivilTime{2024, 7, 9, 13, 4, 5}));
    clock.known = false;
    EXPECT_FALSE(PcLocalTimeNow(clock));
}

class SetDatePageTest : public ::testing::Test {
  protected:
    SetDatePageTest() {
        spooler.Add("QX-7 A");
        app.Printer().SetServices(&spooler, &sleeper, &clock);
        app.Printer().SetSelectedPrinter("QX-7 A");
        app.SetOperation(12);
        app.GoNext(160);
    }
    std::uint32_t SentClock() const {
        const auto& job = spooler.jobs.at(0);
        return static_cast<std::uint32_t>(job[2472] << 24 | job[2473] << 16 | job[2474] << 8 |
                                          job[2475]);
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(utc); }

    test::ScopedTimeZone utc{"UTC"};
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::FixedNowLocalTime clock{1700000000};
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
};

TEST_F(SetDatePageTest, RejectedFieldStaysWithoutContactingThePrinter) {
    const SetDateNextResult result = SetDateNext(app, Fields(2015, 2, 32, 0, 0, 0), clock);
    EXPECT_EQ(result.outcome, SetDateOutcome::FieldRejected);
    EXPECT_EQ(result.page, -1);
    EXPECT_EQ(result.failingControl, 1076);
    EXPECT_EQ(sink.shown, std::vector<std::string>{"Enter an integer between 1 and 31."});
    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_EQ(app.History(), std::vector<int>{160});
}

TEST_F(SetDatePageTest, TypedTimeIsSentAndThePageMovesOn) {
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x21, 0));
    const SetDateNextResult result = SetDateNext(app, Fields(2015, 2, 30, 12, 0, 0), clock);
    EXPECT_EQ(result.outcome, SetDateOutcome::Moved);
    EXPECT_EQ(result.page, 163);
    EXPECT_EQ(SentClock(), SecondsFromUtc({2015, 3, 2, 12, 0, 0}) - test::kPrinterEpoch);
    EXPECT_EQ(app.History(), (std::vector<int>{160, 163}));
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SetDatePageTest, RefusedOrUncomputableClockShows237WithMinus191) {
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x21, 1));
    SetDateNextResult result = SetDateNext(app, Fields(2015, 2, 1, 0, 0, 0), clock);
    EXPECT_EQ(result.outcome, SetDateOutcome::SendFailed);
    EXPECT_EQ(result.page, -1);

    FactsClock broken;  // the local-time conversion fails
    const std::size_t jobs = spooler.jobs.size();
    result = SetDateNext(app, Fields(2015, 2, 1, 0, 0, 0), broken);
    EXPECT_EQ(result.outcome, SetDateOutcome::SendFailed);
    EXPECT_EQ(spooler.jobs.size(), jobs);  // nothing sent
    EXPECT_EQ(sink.shown,
              (std::vector<std::string>{kCommunication + " (-191)", kCommunication + " (-191)"}));
    EXPECT_EQ(app.History(), std::vector<int>{160});
}

TEST_F(SetDatePageTest, DemoModeChecksTheFieldsThenGoesOn) {
    app.Start("/opt/qx7/qx7-service-tool", "-demo", kEnglish);
    app.SetOperation(5);
    EXPECT_EQ(SetDateNext(app, Fields(1999, 1, 1, 0, 0, 0), clock).outcome,
              SetDateOutcome::FieldRejected);
    const SetDateNextResult result = SetDateNext(app, Fields(2015, 2, 1, 0, 0, 0), clock);
    EXPECT_EQ(result.outcome, SetDateOutcome::Moved);
    EXPECT_EQ(result.page, 163);
    EXPECT_TRUE(spooler.calls.empty());
}

}  // namespace
}  // namespace qx7
