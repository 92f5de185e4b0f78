#include "core/log/QXLogEntry.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/SystemLocalTime.h"
#include "support/LogEntryFeed.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

using test::MakeEntry;
using test::PrinterTimeOfUtc;
using test::Words;

const std::uint32_t kMarch2014 = PrinterTimeOfUtc(2014, 3, 15, 13, 45, 7);

std::string TextLine(const CQXLogEntry& entry, int number, LanguageId language = kEnglish) {
    const SystemLocalTime clock;
    const LogTextContext context(language, clock);
    std::string line = "stale";
    entry.FormatTextLine(line, number, context);
    return line;
}

std::string CsvLine(const CQXLogEntry& entry, int number, LanguageId language = kEnglish) {
    const SystemLocalTime clock;
    const LogTextContext context(language, clock);
    std::string line = "stale";
    entry.FormatCsvLine(line, number, context);
    return line;
}

std::string Params(const CQXLogEntry& entry, LanguageId language = kEnglish) {
    const SystemLocalTime clock;
    const LogTextContext context(language, clock);
    std::string text = "<";
    entry.GetParamText(text, context);
    return text;
}

std::string Raw(const CQXLogEntry& entry) {
    std::string text = "<";
    entry.GetRawDataText(text);
    return text;
}

TEST(QXLogEntryTest, TextLineShowsNumberDateCodeTypeWordAndDescription) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    EXPECT_EQ(TextLine(MakeEntry(kMarch2014, 0x00010000, 4), 1),
              "000001: 03/15/2014 13:45:07 [00010000] (INF) \"Power ON\"");
    // Seven digits once the number needs them; the parameters are not part of the line.
    EXPECT_EQ(TextLine(MakeEntry(kMarch2014, 0x13400000, 5, Words({30})), 1000000),
              "1000000: 03/15/2014 13:45:07 [13400000] (INF) \"Auto Cleaning Interval adjusted\"");
    const char* const words[] = {"000", "ERR", "ERR", "WRN", "INF", "INF", "006", "007"};
    for (int type = 0; type < 8; ++type) {
        CQXLogEntry entry = MakeEntry(kMarch2014, 0x00006160, type);
        std::string word;
        entry.GetTypeText(word);
        EXPECT_EQ(word, words[type]);
        EXPECT_EQ(TextLine(entry, 0), std::string("000000: 03/15/2014 13:45:07 [00006160] (") +
                                          words[type] + ") \"Thermistor Failure\"");
    }
    // Type and subtype play no part in the description; unknown codes fall to the terminator.
    EXPECT_EQ(TextLine(MakeEntry(kMarch2014, 0x12345678, 1, {}, 31), 42),
              "000042: 03/15/2014 13:45:07 [12345678] (ERR) \"Unknown LogCode\"");
    EXPECT_EQ(TextLine(MakeEntry(kMarch2014, 0x91000000, 4), 7, kJapanese),
              "000007: 03/15/2014 13:45:07 [91000000] (INF) \"印刷開始\"");
}

TEST(QXLogEntryTest, DatesFollowTheZoneAndShowQuestionMarksOutsideTheirRange) {
    const SystemLocalTime clock;
    struct Case {
        const char* zone;
        std::uint32_t time;
        const char* shown;
    };
    const Case cases[] = {
        {"UTC", 0, "01/01/2000 00:00:00"},
        {"Asia/Tokyo", 0, "01/01/2000 09:00:00"},
        // West of UTC the start of 2000 in printer time lies before local 2000-01-01.
        {"America/New_York", 0, "?\?/?\?/???? ??:??:??"},
        {"America/New_York", 17999, "?\?/?\?/???? ??:??:??"},
        {"America/New_York", 18000, "01/01/2000 00:00:00"},
        // Daylight time is shown although the range rule uses the standard offset.
        {"America/New_York", PrinterTimeOfUtc(2014, 7, 4, 12, 0, 0), "07/04/2014 08:00:00"},
        {"Asia/Tokyo", PrinterTimeOfUtc(2014, 7, 4, 12, 0, 0), "07/04/2014 21:00:00"},
        // The last difference that can be shown, and one beyond it.
        {"UTC", 0x37000000, "03/28/2029 22:34:40"},
        {"UTC", 0x37000001, "?\?/?\?/???? ??:??:??"},
        {"Asia/Tokyo", 0x37000000 - 32400, "03/28/2029 22:34:40"},
        {"Asia/Tokyo", 0x37000000 - 32399, "?\?/?\?/???? ??:??:??"},
        {"America/New_York", 0x37000000 + 18000, "03/28/2029 23:34:40"},
        // East of UTC the 32-bit difference wraps: the very last stamps show just before
        // local 2000-01-01 09:00.
        {"Asia/Tokyo", 0xFFFFFFFF, "01/01/2000 08:59:59"},
        {"UTC", 0xFFFFFFFF, "?\?/?\?/???? ??:??:??"},
    };
    for (const Case& c : cases) {
        const test::ScopedTimeZone tz(c.zone);
        if (!tz.Pinned()) {
            continue;  // another zone's run
        }
        const LogTextContext context(kEnglish, clock);
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.time));
        const CQXLogEntry entry = MakeEntry(c.time, 0x00010000, 4);
        std::string text;
        std::string date;
        std::string time;
        entry.GetDateTimeText(text, context);
        entry.GetDateAndTimeTexts(date, time, context);
        EXPECT_EQ(text, c.shown);
        EXPECT_EQ(date + " " + time, c.shown);
    }
}

// The context remembers the last minute converted; around zone changes (also ones that do
// not fall on a whole minute) every second must still read as the system converts it.
TEST(QXLogEntryTest, CachedConversionAgreesWithTheSystemAcrossZoneChanges) {
    const SystemLocalTime clock;
    struct Case {
        const char* zone;
        std::uint32_t around;
    };
    const Case cases[] = {
        {"America/New_York", PrinterTimeOfUtc(2014, 3, 9, 7, 0, 0)},
        {"America/New_York", PrinterTimeOfUtc(2014, 11, 2, 6, 0, 0)},
        {"EST5EDT,M3.2.0/2:00:30,M11.1.0/2:00:45", PrinterTimeOfUtc(2014, 3, 9, 7, 0, 30)},
        {"EST5EDT,M3.2.0/2:00:30,M11.1.0/2:00:45", PrinterTimeOfUtc(2014, 11, 2, 6, 0, 45)},
        {"Asia/Tokyo", PrinterTimeOfUtc(2014, 12, 31, 15, 0, 0)},
    };
    for (const Case& c : cases) {
        const test::ScopedTimeZone tz(c.zone);
        if (!tz.Pinned()) {
            continue;  // another zone's run
        }
        const LogTextContext context(kEnglish, clock);
        // Forward, then backward, so that the cache is met from both sides.
        for (const int direction : {1, -1}) {
            for (int step = -150; step <= 150; ++step) {
                const std::uint32_t time = c.around + static_cast<std::uint32_t>(direction * step);
                CivilTime cached;
                ASSERT_TRUE(context.ToLocal(time, cached));
                const auto direct = clock.ToLocal(test::kUnix2000 + time);
                ASSERT_TRUE(direct);
                ASSERT_EQ(cached, *direct) << c.zone << " " << time;
            }
        }
    }
}

TEST(QXLogEntryTest, TemperatureInBothLanguages) {
    auto temperature = [](std::uint32_t code, std::uint32_t firstWord) {
        return MakeEntry(kMarch2014, code, 3, Words({firstWord}));
    };
    EXPECT_EQ(Params(temperature(0x00001060, 0)), "<[32 deg F]");
    EXPECT_EQ(Params(temperature(0x00001061, 250)), "<[77 deg F]");
    EXPECT_EQ(Params(temperature(0x00002050, 655)), "<[150 deg F]");
    // Only the low half of the first word counts.
    EXPECT_EQ(Params(temperature(0x00002051, 0xABCD0000 | 65535)), "<[11828 deg F]");
    EXPECT_EQ(Params(temperature(0x00001060, 655), kJapanese), "<[65.5 \u2103]");
    EXPECT_EQ(Params(temperature(0x00001060, 5), kJapanese), "<[0.5 \u2103]");
    EXPECT_EQ(Params(temperature(0x00001060, 0), kJapanese), "<[0.0 \u2103]");
    // The short digit path must print what "%.1f" of v/10.0 prints, for every value.
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "<[%.1f \u2103]", static_cast<double>(v) / 10.0);
        ASSERT_EQ(Params(temperature(0x00001060, v), kJapanese), expected);
        const int fahrenheit = static_cast<int>((18 * v + 50) / 100 + 32);
        ASSERT_EQ(Params(temperature(0x00001060, v)),
                  "<[" + std::to_string(fahrenheit) + " deg F]");
    }
    // A parameter shorter than a word reads the rest from the spare zero bytes.
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00001060, 3, std::string("\x01", 1))), "<[32 deg F]");
}

TEST(QXLogEntryTest, TextParametersAreQuotedAndEndAtZeroOrLength) {
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x12600000, 4, std::string("PRINT.AR3\0junk", 14))),
              "<\"PRINT.AR3\"");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00004100, 2, "abcdefgh")), "<\"abcdefgh\"");
    // The length, not the buffer, ends an unterminated text.
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00004104, 2, "abcdefgh", 0, 5)), "<\"abcde\"");
    // A text code without parameters shows nothing at all.
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x12600000, 4)), "<");
    // Job name and comment start at byte 4.
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x90080000, 4, Words({7}) + "Shirt front")),
              "<\"Shirt front\"");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x90090000, 4, Words({7}))), "<\"\"");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x90090000, 4, "ab")), "<\"\"");
    // UTF-8 stays as it is; bytes that are no UTF-8 become U+FFFD.
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x90080000, 4, Words({1}) + "Tシャツ")), "<\"Tシャツ\"");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00004101, 2, "a\xFF\xC3z\xE3\x81")),
              "<\"a\uFFFD\uFFFDz\uFFFD\uFFFD\"");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00004101, 2, "\xED\xA0\x80\xC0\xAF")),
              "<\"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\"");
    // A text longer than the 260-byte area is shown whole.
    const std::string longText(1000, 'x');
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00003408, 2, longText)), "<\"" + longText + "\"");
}

TEST(QXLogEntryTest, NumbersAndCodesWithoutRendering) {
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x13400000, 4, Words({30}))), "<[30]");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x13430000, 4, Words({0xFFFFFFFF, 5}))), "<[-1]");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x13410000, 4, Words({0x80000000}))), "<[-2147483648]");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x00010000, 4, Words({30}))), "<");
    EXPECT_EQ(Params(MakeEntry(kMarch2014, 0x13400000, 4)), "<");
}

TEST(QXLogEntryTest, RawDataShowsEveryStartedWord) {
    EXPECT_EQ(Raw(MakeEntry(kMarch2014, 0x91000000, 4)), "<");
    EXPECT_EQ(Raw(MakeEntry(kMarch2014, 0x91000000, 4, Words({1, 0xFFFFFFFF}))),
              "< 00000001 FFFFFFFF");
    // A partial last word reads its missing bytes from the spare zeros.
    EXPECT_EQ(Raw(MakeEntry(kMarch2014, 0x91000000, 4, Words({0xDEADBEEF}) + "\xAB")),
              "< DEADBEEF AB000000");
}

TEST(QXLogEntryTest, RenderingsNeverReadPastTheBuffer) {
    // A header claiming 8191 bytes with far fewer (or none) behind it.
    for (const std::string& params : {std::string(), std::string("abc"), Words({1, 2, 3})}) {
        for (const std::uint32_t code : {0x00001060U, 0x12600000U, 0x90080000U, 0x13400000U}) {
            CQXLogEntry entry = MakeEntry(kMarch2014, code, 3, params, 0, 8191);
            EXPECT_LE(Raw(entry).size(), 1 + 9 * ((params.size() + 7) / 4));
            Params(entry);
            Params(entry, kJapanese);
            CsvLine(entry, 1);
        }
    }
    CQXLogEntry entry = MakeEntry(kMarch2014, 0x91000000, 4, Words({1, 2}), 0, 8191);
    entry.parameterLength = -5;
    EXPECT_EQ(Raw(entry), "<");
}

TEST(QXLogEntryTest, CsvLineHasTwelveParameterColumns) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    EXPECT_EQ(CsvLine(MakeEntry(kMarch2014, 0x00010000, 4), 1),
              "000001,03/15/2014,13:45:07,0000,00,Power ON,,,,,,,,,,,,");
    EXPECT_EQ(CsvLine(MakeEntry(kMarch2014, 0x00006120, 1, Words({5, 0xFFFFFFFE}), 7), 1000000),
              "1000000,03/15/2014,13:45:07,6120,07,Abnormal Head Temp (K),5,-2,,,,,,,,,,");
    // Past the twelfth word nothing is shown; a partial word still makes a column.
    std::vector<std::uint32_t> thirteen;
    for (std::uint32_t i = 1; i <= 13; ++i) {
        thirteen.push_back(i);
    }
    EXPECT_EQ(CsvLine(MakeEntry(kMarch2014, 0x12345678, 6, Words(thirteen), 31), 0),
              "000000,03/15/2014,13:45:07,5678,31,Unknown LogCode,1,2,3,4,5,6,7,8,9,10,11,12");
    EXPECT_EQ(CsvLine(MakeEntry(kMarch2014, 0x00001200, 3, Words({9}) + "\x01"), 3),
              "000003,03/15/2014,13:45:07,1200,00,Exchange Parts requested (Blinking),9,"
              "16777216,,,,,,,,,,");
    EXPECT_EQ(CsvLine(MakeEntry(0xFFFFFFFF, 0x92010000, 5), 8, kJapanese),
              "000008,?\?/?\?/????,??:??:??,0000,00,クリーニング終了,,,,,,,,,,,,");
}

}  // namespace
}  // namespace qx7
