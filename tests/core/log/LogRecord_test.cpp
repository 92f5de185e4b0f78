#include "core/log/LogRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::EntryBytes;

// Parses the bytes after the marker of one entry (plus the next marker, as in a file).
CLogRecord ParseEntry(const std::string& entry, bool withNextMarker = true) {
    const std::string bytes = entry.substr(4) + (withNextMarker ? "EdGe" : "");
    CLogRecord record;
    SystemLocalTime localTime;
    EXPECT_TRUE(record.Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             localTime));
    return record;
}

// What a walk over the list gives, record by record: code, index and text.
struct Walked {
    std::uint32_t code;
    std::int32_t index;
    std::string text;
};

std::vector<Walked> Walk(const CLogList& list) {
    std::vector<Walked> out;
    for (const CLogRecord& record : list) {
        Walked walked{record.GetCode(), record.GetIndex(), {}};
        record.GetText(walked.text);
        out.push_back(walked);
    }
    return out;
}

TEST(LogRecordTest, DateCodeTypeAndMillisecondsInTheLocalZone) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    const auto record = ParseEntry(
        EntryBytes(test::PrinterSeconds(2014, 3, 15, 4, 45, 7), 0x91010000, {}, 250, -1, 9, 3));
    EXPECT_TRUE(record.IsCode(0x91010000));
    EXPECT_EQ(record.GetDate(), CLogDate(2014, 3, 15, 13, 45, 7, 250));
    EXPECT_EQ(record.GetSubtype(), 9);
    EXPECT_EQ(record.GetType(), 3);
    EXPECT_FALSE(record.HasDump());
}

TEST(LogRecordTest, DaylightTimeShowsInTheDate) {
    QX7_PIN_TIME_ZONE(tz, "America/New_York");
    EXPECT_EQ(ParseEntry(EntryBytes(test::PrinterSeconds(2014, 7, 1, 12), 1)).GetDate(),
              CLogDate(2014, 7, 1, 8, 0, 0, 0));
    EXPECT_EQ(ParseEntry(EntryBytes(test::PrinterSeconds(2014, 1, 1, 12), 1)).GetDate(),
              CLogDate(2014, 1, 1, 7, 0, 0, 0));
}

TEST(LogRecordTest, ImplausibleTimesAreClampedThroughTheUnsignedDifference) {
    {
        const test::ScopedTimeZone tz("UTC");
        // 0x36000000 seconds after local 2000-01-01 00:00:00.
        if (tz.Pinned()) {
            EXPECT_EQ(ParseEntry(EntryBytes(0xFFFFFFFF, 1)).GetDate(),
                      CLogDate(2028, 9, 15, 18, 14, 24, 0));
        }
    }
    {
        // West of UTC a time just after the epoch is "before" local 2000-01-01 and wraps.
        const test::ScopedTimeZone tz("EST5");
        if (tz.Pinned()) {
            EXPECT_EQ(ParseEntry(EntryBytes(3600, 1)).GetDate(),
                      CLogDate(2028, 9, 15, 18, 14, 24, 0));
        }
    }
    {
        // East of UTC the biggest times wrap to the first hours after local 2000-01-01.
        const test::ScopedTimeZone tz("JST-9");
        if (tz.Pinned()) {
            EXPECT_EQ(ParseEntry(EntryBytes(0xFFFFFFFF, 1)).GetDate(),
                      CLogDate(2000, 1, 1, 8, 59, 59, 0));
        }
    }
}

TEST(LogRecordTest, ShortPiecesKeepTheirDefaults) {
    const std::string bytes(11, 'x');
    CLogRecord record;
    SystemLocalTime localTime;
    EXPECT_FALSE(record.Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              localTime));
    EXPECT_EQ(record.GetCode(), 0U);
    EXPECT_EQ(record.GetDate(), CLogDate());
    std::string text = "old";
    EXPECT_EQ(record.GetText(text), 0);
    EXPECT_EQ(text, "");
    std::uint32_t words[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(record.GetWords2To9(words), 0);
    EXPECT_EQ(words[7], 0U);
}

TEST(LogRecordTest, TextsEndAtZeroSkipFFAndStayWithinTheFirstLine) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    std::string params =
        "AB\xFF"
        "C";
    params += std::string("D\0E", 3);
    auto record = ParseEntry(EntryBytes(1, 0x12600000, params));
    std::string text;
    EXPECT_EQ(record.GetText(text), 1);
    EXPECT_EQ(text, "ABCD");

    // A 70-byte job name: only parameter bytes 4 to 63 reach the text.
    const std::string name(70, 'n');
    record = ParseEntry(EntryBytes(1, 0x90080000, test::TextFromWord1Params(name)));
    EXPECT_EQ(record.GetTextFromWord1(text), 1);
    EXPECT_EQ(text, std::string(60, 'n'));
    // From byte 0 a full line holds 64 bytes; the text keeps 63.
    record = ParseEntry(EntryBytes(1, 0x12600000, std::string(80, 'a')));
    record.GetText(text);
    EXPECT_EQ(text, std::string(63, 'a'));
    // Cutting never splits a UTF-8 character.
    record = ParseEntry(EntryBytes(1, 0x12600000, std::string(62, 'a') + "\xC3\xA9" + "zz"));
    record.GetText(text);
    EXPECT_EQ(text, std::string(62, 'a'));
    // A parameter length beyond the bytes present: the trailing marker counts as available.
    record = ParseEntry(EntryBytes(1, 0x12600000, "", 0, 64), true);
    record.GetText(text);
    EXPECT_EQ(text, "EdGe");
    // Declared length shorter than the bytes: the text stops at the declared end.
    record = ParseEntry(EntryBytes(1, 0x90080000, test::WordsParams({0}) + "abcdefgh", 0, 6));
    record.GetTextFromWord1(text);
    EXPECT_EQ(text, "ab");
}

TEST(LogRecordTest, NumbersFromTheFirstLineWithMissingColumnsZero) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    auto record =
        ParseEntry(EntryBytes(1, 0x91010000, test::DotCountParams({1, 2, 3, 4, 5, 6, 7, 8})));
    std::uint32_t words[8];
    EXPECT_EQ(record.GetWords2To9(words), 1);
    for (std::uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(words[i], i + 1);
    }
    // Only 3 words and a half: the partial word is zero-padded, the rest read 0.
    record = ParseEntry(EntryBytes(1, 0x91010000, test::WordsParams({0, 0, 7}) + "\x01\x02", 0, 14),
                        false);
    record.GetWords2To9(words);
    EXPECT_EQ(words[0], 7U);
    EXPECT_EQ(words[1], 0x01020000U);
    EXPECT_EQ(words[2], 0U);

    record = ParseEntry(EntryBytes(1, 0x92000000, test::WordsParams({2, 16})));
    std::uint32_t kind = 0;
    std::uint32_t colour = 0;
    EXPECT_EQ(record.GetWords0And1(kind, colour), 1);
    EXPECT_EQ(kind, 2U);
    EXPECT_EQ(colour, 16U);

    std::string params(20, '\0');
    params[5] = 'a';
    params[6] = 'b';
    params[14] = 0x02;
    params[15] = static_cast<char>(0xD0);
    params[16] = static_cast<char>(0xFE);
    record = ParseEntry(EntryBytes(1, 0x90070000, params));
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint32_t c = 0;
    std::uint8_t d = 0;
    EXPECT_EQ(record.GetAdvancedSettings(a, b, c, d), 1);
    EXPECT_EQ(a, 'a');
    EXPECT_EQ(b, 'b');
    EXPECT_EQ(c, 720U);
    EXPECT_EQ(d, 0xFE);
}

TEST(LogRecordTest, MainSettings) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    std::string params(28, '\0');
    // 2014-03-15 04:45:07 UTC = 1394858707 seconds since 1970, little-endian.
    const std::uint32_t unix = 1394858707;
    for (int i = 0; i < 4; ++i) {
        params[static_cast<std::size_t>(6 + i)] = static_cast<char>((unix >> (8 * i)) & 0xFF);
    }
    const int positions[8] = {10, 11, 12, 14, 15, 16, 17, 19};
    for (int i = 0; i < 8; ++i) {
        params[static_cast<std::size_t>(positions[i])] = static_cast<char>(i + 1);
    }
    params[20] = 0x12;
    params[21] = 0x34;
    params[22] = 0x56;
    params[26] = 2;
    auto record = ParseEntry(EntryBytes(1, 0x90060000, params));
    std::string when;
    std::string model;
    std::string setting;
    std::uint8_t bytes[8];
    SystemLocalTime localTime;
    EXPECT_EQ(record.GetMainSettings(when, model, setting, bytes, localTime), 1);
    EXPECT_EQ(when, "03/15/2014 13:45:07");
    EXPECT_EQ(model, "QX-730");
    EXPECT_EQ(setting, "0x123456");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bytes[i], i + 1);
    }
    params[20] = 0;
    params[26] = 9;
    params[9] = static_cast<char>(0x80);  // negative count: no calendar time
    record = ParseEntry(EntryBytes(1, 0x90060000, params));
    record.GetMainSettings(when, model, setting, bytes, localTime);
    EXPECT_EQ(when, "");
    EXPECT_EQ(model, "Unknown");
    EXPECT_EQ(setting, "OFF");
}

// The setting is "0x" and six hexadecimal digits, leading zeros kept; the time's fields are
// zero-padded, the year to four digits.
TEST(LogRecordTest, MainSettingsTextsKeepTheirWidths) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    std::string params(28, '\0');
    const std::uint32_t unix = 946782245;  // 2000-01-02 03:04:05 UTC
    for (int i = 0; i < 4; ++i) {
        params[static_cast<std::size_t>(6 + i)] = static_cast<char>((unix >> (8 * i)) & 0xFF);
    }
    params[20] = 0x01;
    params[21] = 0x00;
    params[22] = 0x0A;
    const auto record = ParseEntry(EntryBytes(1, 0x90060000, params));
    std::string when;
    std::string model;
    std::string setting;
    std::uint8_t bytes[8];
    SystemLocalTime localTime;
    EXPECT_EQ(record.GetMainSettings(when, model, setting, bytes, localTime), 1);
    EXPECT_EQ(when, "01/02/2000 03:04:05");
    EXPECT_EQ(setting, "0x01000A");
}

TEST(LogRecordTest, DumpLineLayout) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    const auto record =
        ParseEntry(EntryBytes(1, 0x12600000, std::string("Ab\x01\x7E\x7D", 5)), false);
    const std::string line = record.FirstDumpLine();
    EXPECT_EQ(line,
              std::string(7, ' ') + " 4162017E 7D000000" + std::string(14 * 9, ' ') + " | Ab..}");
}

TEST(LogRecordTest, InkAmountDependsOnResolution) {
    EXPECT_DOUBLE_EQ(InkAmount(1000000, 1200), 0.015);
    EXPECT_DOUBLE_EQ(InkAmount(3000000, 720), 3000000 * 1.4333333333333334e-8);
    EXPECT_DOUBLE_EQ(InkAmount(0xFFFFFFFF, 0), 4294967295.0 * 1.4333333333333334e-8);
}

TEST(LogListTest, CutsTheFileAtEveryMarkerInFileOrder) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    test::TempDir dir;
    const std::string path = dir.File("p1.log");
    // Container bytes before the first marker are skipped; a wrapped ring gives file order.
    test::WriteFile(path, "QX7LG1XX....LGDT\x00\x00\x00\x10" + EntryBytes(500, 0x91000000) +
                              EntryBytes(100, 0x00010000) +
                              EntryBytes(200, 0x12600000, "xEdGeyz\0") + "tail");
    CLogList list;
    SystemLocalTime localTime;
    ASSERT_EQ(list.Load(path, localTime), 0);
    ASSERT_EQ(list.GetCount(), 4U);
    const auto records = Walk(list);
    ASSERT_EQ(records.size(), 4U);
    EXPECT_EQ(records[0].code, 0x91000000U);
    EXPECT_EQ(records[1].code, 0x00010000U);
    EXPECT_EQ(records[2].code, 0x12600000U);
    EXPECT_EQ(records[2].text, "xEdGe");  // the marker in the text splits the record ...
    EXPECT_EQ(records[3].code, 0U);       // ... and the rest becomes a short record of its own
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].index, static_cast<std::int32_t>(i));
    }
}

TEST(LogListTest, MissingFileNoMarkerAndTinyFiles) {
    test::TempDir dir;
    CLogList list;
    SystemLocalTime localTime;
    EXPECT_EQ(list.Load(dir.File("absent.log"), localTime), -1);
    test::WriteFile(dir.File("none.log"), std::string(100000, 'E'));
    EXPECT_EQ(list.Load(dir.File("none.log"), localTime), 0);
    EXPECT_TRUE(list.IsEmpty());
    test::WriteFile(dir.File("marker.log"), "EdGe");
    EXPECT_EQ(list.Load(dir.File("marker.log"), localTime), 0);
    EXPECT_TRUE(list.IsEmpty());
    test::WriteFile(dir.File("five.log"), "EdGeX");
    EXPECT_EQ(list.Load(dir.File("five.log"), localTime), 0);
    ASSERT_EQ(list.GetCount(), 1U);
    const auto records = Walk(list);
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0].code, 0U);
}

TEST(LogListTest, MarkersAcrossReadChunksAreFound) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    test::TempDir dir;
    // The first marker straddles the 1 MiB refill boundary of the reader.
    std::string bytes(1 << 20, 'x');
    bytes.resize(bytes.size() - 2);
    std::string entries;
    for (std::uint32_t i = 0; i < 70000; ++i) {
        entries += EntryBytes(i, 0x91000000 + (i % 3));
    }
    test::WriteFile(dir.File("big.log"), bytes + entries);
    CLogList list;
    SystemLocalTime localTime;
    ASSERT_EQ(list.Load(dir.File("big.log"), localTime), 0);
    ASSERT_EQ(list.GetCount(), 70000U);
    const auto records = Walk(list);
    ASSERT_EQ(records.size(), 70000U);
    for (std::uint32_t i = 0; i < 70000; i += 997) {
        EXPECT_EQ(records[i].code, 0x91000000 + (i % 3));
    }
}

TEST(LogListTest, PiecesLongerThanTheAreaAreDroppedWithOneByteMore) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    test::TempDir dir;
    CLogList list;
    SystemLocalTime localTime;
    // Exactly 16,384 bytes including the next marker: still one record.
    std::string fits = EntryBytes(1, 0x12600000, std::string(16384 - 12 - 4, 'a'));
    test::WriteFile(dir.File("fits.log"), fits + EntryBytes(2, 0x00010000));
    ASSERT_EQ(list.Load(dir.File("fits.log"), localTime), 0);
    ASSERT_EQ(list.GetCount(), 2U);
    auto records = Walk(list);
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[0].code, 0x12600000U);
    EXPECT_EQ(records[1].code, 0x00010000U);

    // One byte longer: the first 16,384 bytes and the one after are dropped; what follows,
    // up to the next marker, is a record of its own.
    list.RemoveAll();
    std::string tooLong =
        EntryBytes(1, 0x12600000, std::string(16384 - 12 - 4 + 1, 'a') + "0123456789abcdef");
    test::WriteFile(dir.File("long.log"), tooLong + EntryBytes(2, 0x00010000));
    ASSERT_EQ(list.Load(dir.File("long.log"), localTime), 0);
    ASSERT_EQ(list.GetCount(), 2U);
    records = Walk(list);
    ASSERT_EQ(records.size(), 2U);
    // The cut falls after "012"; "3" is the byte beyond; the new piece is "456789abcdefEdGe".
    EXPECT_EQ(records[0].code, 0x63646566U);  // "cdef"
    EXPECT_EQ(records[1].code, 0x00010000U);
}

// The list holds no records: every walk reads its files again, through descriptors of its own.
TEST(LogListTest, EveryWalkReadsTheFilesAgainEvenOnceTheyAreGone) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    test::TempDir dir;
    SystemLocalTime localTime;
    test::WriteFile(dir.File("a.log"), EntryBytes(1, 0x00010000) + EntryBytes(2, 0x91000000));
    test::WriteFile(dir.File("b.log"), "junk" + EntryBytes(3, 0x91010000));
    CLogList list;
    ASSERT_EQ(list.Load(dir.File("a.log"), localTime), 0);
    // An open stream is read from its start, wherever it stands; the caller may close it.
    // Opened as the reader opens logs: on Windows, too, the file may then be deleted.
    int answer = 0;
    std::FILE* b = OpenLogFile(dir.File("b.log"), answer);
    ASSERT_NE(b, nullptr);
    std::fseek(b, 0, SEEK_END);
    ASSERT_EQ(list.Load(b, localTime), 0);
    std::fclose(b);
    std::filesystem::remove(dir.File("a.log"));
    std::filesystem::remove(dir.File("b.log"));
    ASSERT_EQ(list.GetCount(), 3U);
    for (int walk = 0; walk < 2; ++walk) {
        const auto records = Walk(list);
        ASSERT_EQ(records.size(), 3U);
        EXPECT_EQ(records[0].code, 0x00010000U);
        EXPECT_EQ(records[1].code, 0x91000000U);
        EXPECT_EQ(records[2].code, 0x91010000U);
        EXPECT_EQ(records[2].index, 2);  // the second file's records go on counting
    }
    // Two walks at once keep their own places.
    auto first = list.Records();
    auto second = list.Records();
    ASSERT_NE(first.Next(), nullptr);
    ASSERT_NE(first.Next(), nullptr);
    EXPECT_EQ(second.Next()->GetCode(), 0x00010000U);
    EXPECT_EQ(first.Next()->GetCode(), 0x91010000U);
    EXPECT_EQ(first.Next(), nullptr);

    CLogList moved = std::move(list);
    EXPECT_EQ(moved.GetCount(), 3U);
    EXPECT_TRUE(list.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from is empty
    moved.RemoveAll();
    EXPECT_TRUE(moved.IsEmpty());
    EXPECT_TRUE(Walk(moved).empty());
}

}  // namespace
}  // namespace qx7
