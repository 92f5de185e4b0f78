// Choosing entries to browse: types as the text export, codes, times, words; command-line
// times and codes; the JSON line.

#include <gtest/gtest.h>

#include "core/export/EntryBrowsing.h"
#include "support/FixedNowLocalTime.h"
#include "support/LogEntryFeed.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

// An index of entries made in memory.
LogEntryIndex IndexOf(const std::vector<CQXLogEntry>& entries) {
    test::VectorEntrySource source(entries);
    LogEntryIndex index;
    EXPECT_EQ(index.Build(source), IndexEnd::kComplete);
    return index;
}

TEST(EntryBrowsingTest, FiltersByTypeAsTheTextExportAndByCodeAndTime) {
    std::vector<CQXLogEntry> entries;
    for (int type = 0; type < 8; ++type) {
        entries.push_back(test::MakeEntry(static_cast<std::uint32_t>(100 + type),
                                          static_cast<std::uint32_t>(0x1000 + type % 2), type));
    }
    const LogEntryIndex index = IndexOf(entries);
    // Types 0, 6 and 7 are not in the text export, so not chosen unless asked for.
    EXPECT_EQ(SelectEntries(index, {}), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
    EntryFilter errors;
    errors.types = {true, false, false};
    EXPECT_EQ(SelectEntries(index, errors), (std::vector<std::uint32_t>{1, 2}));
    EntryFilter warningsAndInformation;
    warningsAndInformation.types = {false, true, true};
    EXPECT_EQ(SelectEntries(index, warningsAndInformation), (std::vector<std::uint32_t>{3, 4, 5}));
    EntryFilter byCode;
    byCode.codes = {0x1001, 0x9999};
    EXPECT_EQ(SelectEntries(index, byCode), (std::vector<std::uint32_t>{1, 3, 5}));
    EntryFilter byTime;
    byTime.from = 102;
    byTime.to = 104;  // both ends included
    EXPECT_EQ(SelectEntries(index, byTime), (std::vector<std::uint32_t>{2, 3, 4}));
    for (std::size_t i = 0; i < index.Size(); ++i) {
        const bool selected = i == 2 || i == 3 || i == 4;
        EXPECT_EQ(PassesFilter(index[i], byTime), selected) << i;
    }
}

TEST(EntryBrowsingTest, TheTypesWithoutANameHaveTheirOwnSwitchesAndAllOfThemTakeEveryEntry) {
    std::vector<CQXLogEntry> entries;
    for (int round = 0; round < 2; ++round) {
        for (const int type : {7, 0, 3, 6, 1, 5, 2, 4}) {
            entries.push_back(test::MakeEntry(100, 0x1000, type));
        }
    }
    const LogEntryIndex index = IndexOf(entries);
    const auto typesOf = [&](const EntryFilter& filter) {
        std::vector<int> types;
        for (const std::uint32_t i : SelectEntries(index, filter)) {
            types.push_back(index[i].type);
        }
        return types;
    };
    EntryFilter only;
    only.types = {false, false, false};
    EXPECT_TRUE(typesOf(only).empty());
    only.unnamed.type0 = true;
    EXPECT_EQ(typesOf(only), (std::vector<int>{0, 0}));
    only.unnamed = {false, true, false};
    EXPECT_EQ(typesOf(only), (std::vector<int>{6, 6}));
    only.unnamed = {false, false, true};
    EXPECT_EQ(typesOf(only), (std::vector<int>{7, 7}));
    // Every switch on: every entry, in log order.
    EntryFilter all;
    all.unnamed = {true, true, true};
    std::vector<std::uint32_t> every(index.Size());
    for (std::uint32_t i = 0; i < every.size(); ++i) {
        every[i] = i;
    }
    EXPECT_EQ(SelectEntries(index, all), every);
    for (std::size_t i = 0; i < index.Size(); ++i) {
        EXPECT_TRUE(PassesFilter(index[i], all)) << i;
        EXPECT_EQ(PassesFilter(index[i], {}), index[i].type >= 1 && index[i].type <= 5) << i;
    }
    // Their words are the ones their rows and the export lines show.
    EXPECT_EQ(EntryTypeWord(0), "000");
    EXPECT_EQ(EntryTypeWord(6), "006");
    EXPECT_EQ(EntryTypeWord(7), "007");
    EXPECT_EQ(EntryTypeWord(2), "ERR");
}

TEST(EntryBrowsingTest, TheCodeListHoldsEachCodeOnceInOrderAndIsSearchedByItsDigits) {
    std::vector<CQXLogEntry> entries;
    for (const std::uint32_t code :
         {0x91000000u, 0x00001060u, 0x91000000u, 0x00002070u, 0x00001060u, 0x9100FFFFu, 0u}) {
        entries.push_back(test::MakeEntry(100, code, 4));
    }
    const std::vector<std::uint32_t> codes = DistinctCodes(IndexOf(entries));
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{0, 0x1060, 0x2070, 0x91000000, 0x9100FFFF}));
    EXPECT_EQ(codes.capacity(), codes.size());
    EXPECT_TRUE(DistinctCodes(LogEntryIndex{}).empty());

    EXPECT_EQ(FirstCodeWithPrefix(codes, "0"), 0u);
    EXPECT_EQ(FirstCodeWithPrefix(codes, "00001"), 1u);
    EXPECT_EQ(FirstCodeWithPrefix(codes, "00002070"), 2u);
    EXPECT_EQ(FirstCodeWithPrefix(codes, "9"), 3u);
    EXPECT_EQ(FirstCodeWithPrefix(codes, "9100f"), 4u);  // either case
    EXPECT_EQ(FirstCodeWithPrefix(codes, "00003"), codes.size());
    EXPECT_EQ(FirstCodeWithPrefix(codes, "A"), codes.size());
    EXPECT_EQ(FirstCodeWithPrefix(codes, "FFFFFFFF"), codes.size());
    for (const char* bad : {"", "0x9", "All", "123456789", "91 "}) {
        EXPECT_EQ(FirstCodeWithPrefix(codes, bad), codes.size()) << bad;
    }
}

// An index that grows a piece at a time: the selection and the codes made piece by piece are
// those made of the whole index, whatever the pieces.
TEST(EntryBrowsingTest, SelectionAndCodesGrownPieceByPieceAreThoseOfTheWholeIndex) {
    std::vector<CQXLogEntry> entries;
    for (std::uint32_t i = 0; i < 200; ++i) {
        entries.push_back(test::MakeEntry(100 + i * 7 % 50, 0x1000 + (i * 13) % 17,
                                          static_cast<int>(i * 5 % 8)));
    }
    const LogEntryIndex whole = IndexOf(entries);
    EntryFilter errorsOfTwoCodes;
    errorsOfTwoCodes.types = {true, false, false};
    errorsOfTwoCodes.codes = {0x1003, 0x1008};
    EntryFilter lateOnes;
    lateOnes.unnamed = {true, false, true};
    lateOnes.from = 130;
    for (const EntryFilter& filter : {EntryFilter{}, errorsOfTwoCodes, lateOnes}) {
        const std::vector<std::uint32_t> expected = SelectEntries(whole, filter);
        ASSERT_FALSE(expected.empty());
        for (const std::size_t size : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{500}}) {
            test::VectorEntrySource source(entries);
            LogEntryIndexer indexer;
            LogEntryIndex growing;
            std::vector<IndexedEntry> piece;
            std::vector<std::uint32_t> selection;
            DistinctCodeCollector codes;
            std::optional<IndexEnd> end;
            while (!end) {
                end = indexer.Next(source, size, piece);
                const std::size_t from = growing.Size();
                growing.Append(piece, source.GetEntryCount());
                AppendSelected(growing, from, filter, selection);
                codes.Add(piece);
            }
            EXPECT_EQ(selection, expected) << size;
            const std::vector<std::uint32_t> taken = codes.Take();
            EXPECT_EQ(taken, DistinctCodes(whole)) << size;
            EXPECT_EQ(taken.capacity(), taken.size());
            EXPECT_TRUE(codes.Take().empty());
        }
    }
}

TEST(EntryBrowsingTest, CodesGatheredFromPiecesAreEachOnceWhateverTheirBits) {
    // Codes that differ only in bits the collector does not look at first, in turns, several
    // pieces over; then a collector used again after Take.
    std::vector<IndexedEntry> piece;
    for (std::uint32_t i = 0; i < 3000; ++i) {
        IndexedEntry entry;
        entry.code = (i % 3 == 0 ? 0x1000u : 0x1400u) + ((i % 7 == 0) ? 0x00400000u : 0u);
        piece.push_back(entry);
    }
    DistinctCodeCollector codes;
    codes.Reserve(9000);
    for (int round = 0; round < 3; ++round) {
        codes.Add(piece);
    }
    EXPECT_EQ(codes.Take(),
              (std::vector<std::uint32_t>{0x1000, 0x1400, 0x00401000, 0x00401400}));
    codes.Add(std::vector<IndexedEntry>(2));  // code 0, which an unused slot also holds
    EXPECT_EQ(codes.Take(), std::vector<std::uint32_t>{0});
}

TEST(EntryBrowsingTest, CopiedRowsCountOverlapsOnceAndStopAtTheCap) {
    // Out of order and overlapping, as a selection made with the mouse and keys may be.
    const CopiedRows chosen = ChooseCopiedRows({{10, 12}, {2, 4}, {3, 6}, {11, 11}, {20, 20}}, 100);
    EXPECT_EQ(chosen.rows, (std::vector<std::size_t>{2, 3, 4, 5, 6, 10, 11, 12, 20}));
    EXPECT_EQ(chosen.total, 9u);
    const CopiedRows capped = ChooseCopiedRows({{10, 12}, {2, 4}, {3, 6}}, 4);
    EXPECT_EQ(capped.rows, (std::vector<std::size_t>{2, 3, 4, 5}));
    EXPECT_EQ(capped.total, 8u);
    // A whole view of the most rows an index takes: counted, never listed.
    const CopiedRows all = ChooseCopiedRows({{0, kMostIndexedEntries - 1}}, 100000);
    EXPECT_EQ(all.total, kMostIndexedEntries);
    ASSERT_EQ(all.rows.size(), 100000u);
    EXPECT_EQ(all.rows.back(), 99999u);
    EXPECT_LE(all.rows.capacity(), 2u * 100000);
    EXPECT_TRUE(ChooseCopiedRows({}, 10).rows.empty());
    EXPECT_EQ(ChooseCopiedRows({{5, 5}}, 0).total, 1u);
}

TEST(EntryBrowsingTest, CopiedTextIsTheRowsLinesUpToItsSize) {
    std::vector<LogEntryRow> rows(5);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].number = i;
        rows[i].dateTime = "03/18/2015 22:20:00";
        rows[i].typeText = "INF";
        rows[i].parameters.assign(i == 3 ? 8000 : 10, 'p');
    }
    const auto rowAt = [&](std::size_t row) -> const LogEntryRow* {
        return row == 1 ? nullptr : &rows[row];  // row 1 cannot be read again
    };
    const CopiedText all = FormatCopiedRows({0, 1, 2, 3, 4}, rowAt, 1 << 20);
    EXPECT_EQ(all.rows, 5u);
    EXPECT_EQ(all.text, FormatRowLine(rows[0]) + "\n\n" + FormatRowLine(rows[2]) + "\n" +
                            FormatRowLine(rows[3]) + "\n" + FormatRowLine(rows[4]) + "\n");
    // The long row would pass the size: the copy ends before it, with whole lines.
    const std::size_t most = all.text.size() - 1000;
    const CopiedText cut = FormatCopiedRows({0, 1, 2, 3, 4}, rowAt, most);
    EXPECT_EQ(cut.rows, 3u);
    EXPECT_EQ(cut.text, all.text.substr(0, cut.text.size()));
    EXPECT_EQ(cut.text.back(), '\n');
    EXPECT_LE(cut.text.size(), most);
    EXPECT_EQ(FormatCopiedRows({}, rowAt, 100).rows, 0u);
}

TEST(EntryBrowsingTest, ShownTimesAreReadInTheTablesFormAndInIsoOrder) {
    const CivilTime noon{2015, 7, 4, 12, 0, 0};
    for (const char* text : {"2015-07-04 12:00:00", "07/04/2015 12:00:00", "2015-07-04T12:00:00",
                             "2015-07-04 12:00", "07/04/2015 12:00", "  07/04/2015  12:00:00\n"}) {
        EXPECT_EQ(ParseShownDateTime(text), noon) << text;
    }
    EXPECT_EQ(ParseShownDateTime("2015-07-04 12:25:07"), (CivilTime{2015, 7, 4, 12, 25, 7}));
    EXPECT_EQ(ParseShownDateTime("12/31/2014 23:59:59"), (CivilTime{2014, 12, 31, 23, 59, 59}));
    // A date alone is its first second.
    EXPECT_EQ(ParseShownDateTime("2015-07-04"), (CivilTime{2015, 7, 4, 0, 0, 0}));
    EXPECT_EQ(ParseShownDateTime("07/04/2015"), (CivilTime{2015, 7, 4, 0, 0, 0}));
    EXPECT_EQ(ParseShownDateTime("02/29/2016"), (CivilTime{2016, 2, 29, 0, 0, 0}));
    for (const char* bad :
         {"", "   ", "2015-07-04 12", "2015-07-04 12:00:0", "2015-07-04 24:00:00",
          "2015-07-04 12:60:00", "2015-02-30", "02/29/2015", "13/01/2015 00:00:00",
          "04.07.2015 12:00:00", "07/04/15 12:00", "2015/07/04 12:00:00", "7/4/2015 12:00:00",
          "2015-07-04 12:00:00 more", "2015-07-04x12:00:00", "2015-07-04 12:00:00Z",
          "0000-01-01", "tomorrow"}) {
        EXPECT_EQ(ParseShownDateTime(bad), std::nullopt) << bad;
    }
}

TEST(EntryBrowsingTest, LocalTimesBeforeThePrinterClockLookFromItsStart) {
    QX7_PIN_TIME_ZONE(tokyo, "Asia/Tokyo");
    const test::FixedNowLocalTime clock(0);
    const auto parsed = ParseShownDateTime("03/18/2015 22:20:00");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(PrinterTimeFromLocal(*parsed, clock), 480000000u);
    // 2000-01-01 08:59:59 in Tokyo is still 1999 in UTC.
    EXPECT_EQ(PrinterTimeFromLocal(*ParseShownDateTime("2000-01-01 08:59:59"), clock), 0u);
    EXPECT_EQ(PrinterTimeFromLocal(*ParseShownDateTime("1990-05-05"), clock), 0u);
    EXPECT_EQ(PrinterTimeFromLocal(*ParseShownDateTime("2000-01-01 09:00:01"), clock), 1u);
    EXPECT_EQ(PrinterTimeFromLocal(*ParseShownDateTime("2200-01-01"), clock), std::nullopt);
}

TEST(EntryBrowsingTest, DateJumpFindsTheFirstInLogOrderEvenWhenTheClockWentBack) {
    std::vector<CQXLogEntry> entries;
    for (const std::uint32_t time : {100u, 200u, 300u, 150u, 400u}) {
        entries.push_back(test::MakeEntry(time, 1, 4));
    }
    const LogEntryIndex index = IndexOf(entries);
    const std::vector<std::uint32_t> all{0, 1, 2, 3, 4};
    EXPECT_EQ(FirstAtOrAfter(index, all, 150), 1u);  // not the later entry of 150
    EXPECT_EQ(FirstAtOrAfter(index, all, 0), 0u);
    EXPECT_EQ(FirstAtOrAfter(index, all, 401), all.size());
    // A place in the selection, not an entry number.
    EXPECT_EQ(FirstAtOrAfter(index, {0, 3, 4}, 120), 1u);
}

TEST(EntryBrowsingTest, RowLineIsTheTextExportLine) {
    LogEntryRow row;
    row.number = 7;
    row.dateTime = "03/18/2015 22:20:00";
    row.code = 0x1060;
    row.typeText = "WRN";
    row.description = "Lower Temperature than best print range";
    EXPECT_EQ(FormatRowLine(row),
              "000007: 03/18/2015 22:20:00 [00001060] (WRN) "
              "\"Lower Temperature than best print range\"");
    row.parameters = "[59 deg F]";
    const std::string line = FormatRowLine(row);
    EXPECT_EQ(line.size(), kAddedTextColumn + row.parameters.size());
    EXPECT_EQ(line.substr(kAddedTextColumn), "[59 deg F]");
    // A one-line text longer than the column gets no blanks.
    row.description.assign(150, 'x');
    EXPECT_NE(FormatRowLine(row).find("x\"[59 deg F]"), std::string::npos);
    row.number = 1234567;
    EXPECT_EQ(FormatRowLine(row).substr(0, 9), "1234567: ");
}

TEST(EntryBrowsingTest, SearchLooksInDescriptionAndParametersWhateverTheCase) {
    LogEntryRow row;
    row.description = "Power ON";
    row.parameters = "[Job=Shirt-42]";
    EXPECT_TRUE(RowContains(row, "power on"));
    EXPECT_TRUE(RowContains(row, "SHIRT-4"));
    EXPECT_TRUE(RowContains(row, ""));
    EXPECT_FALSE(RowContains(row, "OFF"));
    // A code is found by its digits, as the rows show it.
    row.code = 0x00001060;
    EXPECT_TRUE(RowContains(row, "00001060"));
    EXPECT_TRUE(RowContains(row, "1060"));
    EXPECT_FALSE(RowContains(row, "2070"));
    row.dateTime = "03/18/2015";
    EXPECT_FALSE(RowContains(row, "2015"));  // the date is found by the date jump
}

TEST(EntryBrowsingTest, CodesAreHexadecimal) {
    EXPECT_EQ(ParseEntryCode("00001060"), 0x1060u);
    EXPECT_EQ(ParseEntryCode("0x91000000"), 0x91000000u);
    EXPECT_EQ(ParseEntryCode("ffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseEntryCode(""), std::nullopt);
    EXPECT_EQ(ParseEntryCode("0x"), std::nullopt);
    EXPECT_EQ(ParseEntryCode("123456789"), std::nullopt);
    EXPECT_EQ(ParseEntryCode("10g0"), std::nullopt);
}

TEST(EntryBrowsingTest, JsonLinesAreValidAndCarryBothTimes) {
    QX7_PIN_TIME_ZONE(tokyo, "Asia/Tokyo");
    const test::FixedNowLocalTime clock(0);
    const LogTextContext context(kEnglish, clock);
    LogEntryRow row;
    row.number = 12;
    row.code = 0x1060;
    row.typeText = "WRN";
    row.description = "Say \"hi\"\\ \t\x01";
    row.parameters = "\xE6\x97\xA5 \xFF\xC0\xAF end";  // a Japanese letter, then bad bytes
    EXPECT_EQ(
        FormatRowJson(row, 480000000u, context),
        "{\"number\":12,\"utc\":\"2015-03-18T13:20:00Z\",\"local\":\"2015-03-18T22:20:00\","
        "\"code\":\"00001060\",\"type\":\"WRN\",\"text\":\"Say \\\"hi\\\"\\\\ \\u0009\\u0001\","
        "\"parameters\":\"\xE6\x97\xA5 \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD end\"}");
    // A stamp beyond what the PC's clock shows has no local time.
    EXPECT_NE(FormatRowJson(row, 0xF0000000u, context).find("\"local\":null"), std::string::npos);
}

}  // namespace
}  // namespace qx7
