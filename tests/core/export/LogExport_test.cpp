#include "core/export/LogExport.h"
#include "core/export/BatchFormatting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <iterator>
#include <sstream>
#include <utility>

#include "platform/SystemLocalTime.h"
#include "platform/TextEncoding.h"
#include "support/LogEntryFeed.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

using test::MakeEntry;
using test::VectorEntrySource;
using test::Words;

const std::uint32_t kMarch2014 = test::PrinterTimeOfUtc(2014, 3, 15, 13, 45, 7);

using ExportFunction = int (*)(ILogEntrySource&, std::FILE*, const LogTextContext&,
                               const LogExportOptions&, ExportCounts*);

struct ExportRun {
    int result = 0;
    std::string bytes;
    ExportCounts counts;
};

ExportRun Export(ExportFunction function, ILogEntrySource& source, const LogExportOptions& options,
                 LanguageId language = kEnglish) {
    const SystemLocalTime clock;
    const LogTextContext context(language, clock);
    std::FILE* file = std::tmpfile();
    ExportRun run;
    run.result = function(source, file, context, options, &run.counts);
    std::fflush(file);
    std::rewind(file);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        run.bytes.append(buffer, got);
    }
    std::fclose(file);
    return run;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// One entry of every type 0..7, in that order.
std::vector<CQXLogEntry> EveryType() {
    std::vector<CQXLogEntry> entries;
    for (int type = 0; type < 8; ++type) {
        entries.push_back(
            MakeEntry(kMarch2014 + static_cast<std::uint32_t>(type), 0x00007000, type));
    }
    return entries;
}

constexpr const char* kTextColumns = "Number:    Date      Time     Code     (Type) Description   ";
constexpr const char* kCsvColumns =
    "Number,Date,Time,Code,Type,Description,Param1,Param2,Param3,Param4,Param5,Param6,Param7,"
    "Param8,Param9,Param10,Param11,Param12";

TEST(LogExportTest, HeaderLinesNameTheZonesStandardTime) {
#ifdef _WIN32
    // Windows names its zones itself; its UTC is "Coordinated Universal Time" or, under Wine,
    // "Greenwich Standard Time".
    const std::string utc = SystemLocalTime().ZoneFacts().standardName;
    const std::pair<const char*, std::string> zones[] = {
        {"UTC", utc},
        {"Asia/Tokyo", "Tokyo Standard Time"},
        {"America/New_York", "Eastern Standard Time"}};
#else
    const std::pair<const char*, std::string> zones[] = {
        {"UTC", "UTC"}, {"Asia/Tokyo", "JST"}, {"America/New_York", "EST"}};
#endif
    for (const auto& [zone, name] : zones) {
        const test::ScopedTimeZone tz(zone);
        if (!tz.Pinned()) {
            continue;  // another zone's run
        }
#ifdef _WIN32
        if (std::string(zone) == "UTC") {
            EXPECT_TRUE(name == "Coordinated Universal Time" || name == "Greenwich Standard Time")
                << name;
        }
#endif
        VectorEntrySource empty({});
        const ExportRun text = Export(ExportText, empty, {});
        EXPECT_EQ(text.result, kExportOk);
        EXPECT_EQ(text.bytes, std::string("Log date in this file is based on ") + name + "\r\n" +
                                  kTextColumns + "\r\n");
        EXPECT_EQ(std::string(kTextColumns).size() + 2, 62U);
        VectorEntrySource none({});
        EXPECT_EQ(Export(ExportCsv, none, {}).bytes,
                  std::string("Log date in this file is based on ") + name + "\r\n" + kCsvColumns +
                      "\r\n");
    }
}

TEST(LogExportTest, TypeFiltersDifferBetweenTextAndCsvAndNumbersCountEveryEntryRead) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    VectorEntrySource all(EveryType());
    const ExportRun text = Export(ExportText, all, {});
    const auto lines = Lines(text.bytes);
    ASSERT_EQ(lines.size(), 7U);
    EXPECT_EQ(lines[2], "000001: 03/15/2014 13:45:08 [00007000] (ERR) \"System Call Error\"");
    EXPECT_EQ(lines[6], "000005: 03/15/2014 13:45:12 [00007000] (INF) \"System Call Error\"");
    EXPECT_EQ(text.counts.linesWritten, 7);
    EXPECT_EQ(text.counts.entriesRead, 8);

    VectorEntrySource allCsv(EveryType());
    const auto csv = Lines(Export(ExportCsv, allCsv, {}).bytes);
    ASSERT_EQ(csv.size(), 10U);
    EXPECT_EQ(csv[2], "000000,03/15/2014,13:45:07,7000,00,System Call Error,,,,,,,,,,,,");
    EXPECT_EQ(csv[9].substr(0, 7), "000007,");

    LogExportOptions nothing;
    nothing.types = {false, false, false};
    VectorEntrySource none(EveryType());
    EXPECT_EQ(Lines(Export(ExportText, none, nothing).bytes).size(), 2U);
    VectorEntrySource noneCsv(EveryType());
    const auto unnamed = Lines(Export(ExportCsv, noneCsv, nothing).bytes);
    ASSERT_EQ(unnamed.size(), 5U);
    EXPECT_EQ(unnamed[2].substr(0, 7), "000000,");
    EXPECT_EQ(unnamed[3].substr(0, 7), "000006,");
    EXPECT_EQ(unnamed[4].substr(0, 7), "000007,");

    // Warnings only: the number keeps counting the entries left out.
    LogExportOptions warnings;
    warnings.types = {false, true, false};
    VectorEntrySource some(EveryType());
    const auto warned = Lines(Export(ExportText, some, warnings).bytes);
    ASSERT_EQ(warned.size(), 3U);
    EXPECT_EQ(warned[2].substr(0, 8), "000003: ");
}

TEST(LogExportTest, CsvTimeWindowIsInclusive) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    LogExportOptions window;
    window.low = kMarch2014 + 2;
    window.high = kMarch2014 + 4;
    VectorEntrySource source(EveryType());
    const auto lines = Lines(Export(ExportCsv, source, window).bytes);
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[2].substr(0, 7), "000002,");
    EXPECT_EQ(lines[4].substr(0, 7), "000004,");
}

TEST(LogExportTest, AddedTextStartsAtColumn127AndLinesWithoutItHaveNoTrailingBlanks) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    std::vector<CQXLogEntry> entries{
        MakeEntry(kMarch2014, 0x13400000, 4, Words({30})),
        MakeEntry(kMarch2014, 0x00006113, 1, Words({30})),  // longest description
        MakeEntry(kMarch2014, 0x00001060, 3, Words({655})),
        MakeEntry(kMarch2014, 0x12600000, 4, "AR3.DAT"),
        MakeEntry(kMarch2014, 0x00010000, 4),
        MakeEntry(kMarch2014, 0x91000000, 4, Words({1, 2})),
    };
    for (const bool extended : {false, true}) {
        for (const LanguageId language : {kEnglish, kJapanese}) {
            LogExportOptions options;
            options.extendedData = extended;
            VectorEntrySource source(entries);
            const auto lines = Lines(Export(ExportText, source, options, language).bytes);
            ASSERT_EQ(lines.size(), 8U);
            for (std::size_t i = 2; i < lines.size(); ++i) {
                const std::string& line = lines[i];
                const std::size_t quote = line.rfind('"', line.size() > 127 ? 126 : line.size());
                const bool hasAdded = line.size() > quote + 1;
                if (hasAdded) {
                    // Raw words bring their own leading blank.
                    EXPECT_EQ(line.find_first_not_of(' ', quote + 1), extended ? 128U : 127U)
                        << line;
                } else {
                    EXPECT_NE(line.back(), ' ');
                }
            }
            if (!extended) {
                EXPECT_EQ(lines[2].substr(127), "[30]");
                EXPECT_EQ(lines[4].substr(127),
                          language == kJapanese ? "[65.5 \u2103]" : "[150 deg F]");
                EXPECT_EQ(lines[5].substr(127), "\"AR3.DAT\"");
                EXPECT_EQ(lines[7].size(), lines[7].rfind('"') + 1);  // no rendering
            } else {
                EXPECT_EQ(lines[2].substr(127), " 0000001E");
                EXPECT_EQ(lines[7].substr(127), " 00000001 00000002");
                EXPECT_EQ(lines[5].substr(127), " 4152332E 44415400");
                EXPECT_EQ(lines[6].back(), '"');  // no parameters, nothing added
            }
        }
    }
    VectorEntrySource one({entries[0]});
    const auto line = Lines(Export(ExportText, one, {}).bytes)[2];
    EXPECT_EQ(line,
              "000000: 03/15/2014 22:45:07 [13400000] (INF) \"Auto Cleaning Interval "
              "adjusted\"" +
                  std::string(49, ' ') + "[30]");
}

TEST(LogExportTest, ShiftJisOutputAlignsOnItsOwnBytes) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    const auto cp932 = MakeTextEncoder("CP932");
    ASSERT_NE(cp932, nullptr);
    LogExportOptions options;
    options.encoder = cp932.get();
    VectorEntrySource source({MakeEntry(kMarch2014, 0x00002050, 3, Words({655}))});
    const ExportRun run = Export(ExportText, source, options, kJapanese);
    const auto lines = Lines(run.bytes);
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[2].substr(127), "[65.5 \x81\x8E]");
    EXPECT_EQ(lines[2].substr(0, 46), "000000: 03/15/2014 22:45:07 [00002050] (WRN) \"");
    EXPECT_EQ(lines[2].find_last_not_of(' ', 126), 46U + 2 * 10 + 1 - 1)
        << "ten double-byte characters then the closing quote";
}

TEST(LogExportTest, ProgressEveryThousandEntriesAgainstTheEntryCount) {
    for (const auto& [count, expected] :
         {std::pair{999, std::vector<std::pair<int, int>>{{0, 0}}},
          std::pair{2500, std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}}}) {
        std::vector<CQXLogEntry> entries(static_cast<std::size_t>(count),
                                         MakeEntry(kMarch2014, 0x00010000, 4));
        for (const ExportFunction function :
             {ExportFunction{ExportText}, ExportFunction{ExportCsv}}) {
            std::vector<std::pair<int, int>> calls;
            LogExportOptions options;
            options.progress = [&](int position, int upper) {
                calls.emplace_back(position, upper);
                return true;
            };
            VectorEntrySource source(entries);
            const ExportRun run = Export(function, source, options);
            EXPECT_EQ(run.result, kExportOk);
            EXPECT_EQ(calls, expected);
            EXPECT_EQ(run.counts.linesWritten, count + 2);
        }
    }
}

TEST(LogExportTest, ProgressCanStopTheExport) {
    std::vector<CQXLogEntry> entries(2500, MakeEntry(kMarch2014, 0x00010000, 4));
    LogExportOptions options;
    options.progress = [](int position, int) { return position < 2; };
    VectorEntrySource source(entries);
    const ExportRun run = Export(ExportCsv, source, options);
    EXPECT_EQ(run.result, kExportCancelled);
    EXPECT_EQ(run.counts.entriesRead, 2000);
    EXPECT_EQ(source.Delivered(), 2000);
}

TEST(LogExportTest, ReadAndWriteFailuresAreReported) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    VectorEntrySource failing(EveryType(), 3);
    const ExportRun run = Export(ExportText, failing, {});
    EXPECT_EQ(run.result, kExportReadFailed);
    EXPECT_EQ(Lines(run.bytes).size(), 4U);  // entries 0..2, of which 1 and 2 are shown
    EXPECT_EQ(run.counts.entriesRead, 3);

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    const SystemLocalTime clock;
    const LogTextContext context(kEnglish, clock);
    VectorEntrySource source(EveryType());
    EXPECT_EQ(ExportText(source, full, context, {}), kExportWriteFailed);
    std::clearerr(full);
    VectorEntrySource big(std::vector<CQXLogEntry>(100000, MakeEntry(kMarch2014, 0x10000000, 4)));
    ExportCounts counts;
    EXPECT_EQ(ExportCsv(big, full, context, {}, &counts), kExportWriteFailed);
    EXPECT_LT(counts.entriesRead, 100000) << "a full disk should stop the export early";
    std::fclose(full);
}

// Entries of every kind the lines differ by: types, codes with decoded parameters, raw
// words, texts with invalid UTF-8, dates before 2000, more entries than several batches hold.
std::vector<CQXLogEntry> MixedEntries(int count) {
    static const std::uint32_t kCodes[] = {0x00010000, 0x00001060, 0x00004100, 0x90080000,
                                           0x13400000, 0x91010000, 0x7777ABCD};
    std::vector<CQXLogEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t code = kCodes[static_cast<std::size_t>(i) % std::size(kCodes)];
        std::string params;
        for (int k = 0; k < i % 13; ++k) {
            params += static_cast<char>(k % 3 == 0 ? 0xC3 : 'a' + (i + k) % 26);
        }
        const std::uint32_t time = i % 101 == 0 ? 5U : kMarch2014 + static_cast<std::uint32_t>(i) * 97;
        entries.push_back(MakeEntry(time, code, i % 8, params, i % 32));
    }
    return entries;
}

ExportRun ExportWithThreads(ExportFunction function, const std::vector<CQXLogEntry>& entries,
                            LogExportOptions options, int threads, int failAfter = -1,
                            LanguageId language = kEnglish) {
    options.formatThreads = threads;
    VectorEntrySource source(entries, failAfter);
    return Export(function, source, options, language);
}

TEST(LogExportTest, TwoFormattingThreadsWriteTheSameBytesAsOne) {
    QX7_PIN_TIME_ZONE(tz, "America/New_York");
    const std::vector<CQXLogEntry> entries = MixedEntries(3 * kFormatBatchEntries + 17);
    LogExportOptions shown;
    LogExportOptions errorsOnly;
    errorsOnly.types = {true, false, false};
    LogExportOptions raw;
    raw.extendedData = true;
    LogExportOptions window;
    window.low = kMarch2014 + 1000 * 97;
    window.high = kMarch2014 + 5000 * 97;
    for (const ExportFunction function : {ExportFunction{ExportText}, ExportFunction{ExportCsv}}) {
        for (const LogExportOptions& options : {shown, errorsOnly, raw, window}) {
            for (const LanguageId language : {kEnglish, kJapanese}) {
                const ExportRun one = ExportWithThreads(function, entries, options, 1, -1, language);
                const ExportRun two = ExportWithThreads(function, entries, options, 2, -1, language);
                EXPECT_EQ(one.result, kExportOk);
                EXPECT_EQ(two.result, kExportOk);
                EXPECT_GT(Lines(one.bytes).size(), 2U);
                EXPECT_TRUE(one.bytes == two.bytes) << "the outputs differ";
                EXPECT_EQ(two.counts.entriesRead, one.counts.entriesRead);
                EXPECT_EQ(two.counts.linesWritten, one.counts.linesWritten);
            }
        }
    }
}

TEST(LogExportTest, TwoFormattingThreadsStopAsOneDoes) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    const std::vector<CQXLogEntry> entries = MixedEntries(4 * kFormatBatchEntries);
    // A read failure inside a batch: every entry before it is written, in order.
    for (const int failAfter : {0, 1, kFormatBatchEntries, 2 * kFormatBatchEntries + 5}) {
        const ExportRun one = ExportWithThreads(ExportText, entries, {}, 1, failAfter);
        const ExportRun two = ExportWithThreads(ExportText, entries, {}, 2, failAfter);
        EXPECT_EQ(two.result, kExportReadFailed);
        EXPECT_TRUE(one.bytes == two.bytes) << "failing after " << failAfter;
        EXPECT_EQ(two.counts.entriesRead, failAfter);
    }

    // Cancelled from the progress callback: reading stops at once.
    LogExportOptions stopping;
    stopping.formatThreads = 2;
    stopping.progress = [](int position, int) { return position < 3; };
    VectorEntrySource source(entries);
    EXPECT_EQ(Export(ExportCsv, source, stopping).result, kExportCancelled);
    EXPECT_EQ(source.Delivered(), 3000);

    // A full disk: the failure and its cause reach the caller, reading stops early.
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    const SystemLocalTime clock;
    const LogTextContext context(kEnglish, clock);
    LogExportOptions twoThreads;
    twoThreads.formatThreads = 2;
    VectorEntrySource big(MixedEntries(50 * kFormatBatchEntries));
    ExportCounts counts;
    errno = 0;
    EXPECT_EQ(ExportText(big, full, context, twoThreads, &counts), kExportWriteFailed);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_LT(big.Delivered(), 50 * kFormatBatchEntries);
    std::fclose(full);
}

TEST(LogExportTest, OutputPaths) {
    EXPECT_EQ(MakeTextExportPath("C:\\logs\\p1.zlg"), "C:\\logs\\p1.zlg.txt");
    EXPECT_EQ(MakeTextExportPath("/a/b.log"), "/a/b.log.txt");
    EXPECT_EQ(MakeDefaultCsvPath("C:\\a\\b.log"), "C:\\a\\b.csv");
    EXPECT_EQ(MakeDefaultCsvPath("C:\\a.b\\log"), "C:\\a.csv");
    EXPECT_EQ(MakeDefaultCsvPath("/x/y.tar.zlg"), "/x/y.tar.csv");
    EXPECT_EQ(MakeDefaultCsvPath("/x/.log"), "/x/.csv");
    EXPECT_EQ(MakeDefaultCsvPath(".log"), ".log.csv");
    EXPECT_EQ(MakeDefaultCsvPath("printer"), "printer.csv");
    EXPECT_EQ(MakeDefaultCsvPath("a."), "a.csv");
}

}  // namespace
}  // namespace qx7
