#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/base/ByteOrder.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "loggen/Scenario.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using loggen::LogForm;
using loggen::ScenarioOptions;
using loggen::ScenarioSummary;

// One entry decoded straight from the words the generator wrote.
struct Written {
    std::uint32_t time = 0;
    std::uint32_t header = 0;
    std::uint32_t code = 0;
    std::vector<unsigned char> params;

    std::uint32_t Type() const { return header & 7; }
    std::uint32_t Milliseconds() const { return header >> 21; }
    std::uint32_t Word(std::size_t i) const {
        return i * 4 + 4 <= params.size() ? ReadU32BE(params.data() + i * 4) : 0;
    }
};

std::vector<Written> Decode(const std::vector<std::uint32_t>& words,
                            const std::vector<std::uint32_t>& starts, std::size_t from = 0) {
    std::vector<Written> result;
    for (std::size_t i = from; i < starts.size(); ++i) {
        const std::uint32_t at = starts[i];
        EXPECT_EQ(words[at], kEntryMarker);
        Written entry{words[at + 1], words[at + 2], words[at + 3], {}};
        const std::uint32_t length = (entry.header >> 8) & 0x1FFF;
        for (std::uint32_t w = 0; w < (length + 3) / 4; ++w) {
            unsigned char bytes[4];
            WriteU32BE(bytes, words[at + 4 + w]);
            entry.params.insert(entry.params.end(), bytes, bytes + 4);
        }
        entry.params.resize(length);
        result.push_back(std::move(entry));
    }
    return result;
}

class LoggenTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
};

TEST_F(LoggenTest, SameSeedSameBytesOtherSeedOtherBytes) {
    ScenarioOptions options;
    options.entries = 3000;
    options.seed = 7;
    const std::string first = loggen::GenerateLog(options, LogForm::Compressed);
    EXPECT_EQ(loggen::GenerateLog(options, LogForm::Compressed), first);
    options.seed = 8;
    EXPECT_NE(loggen::GenerateLog(options, LogForm::Compressed), first);
}

TEST_F(LoggenTest, DistinctCodesGiveEveryEntryItsOwnCodeAndKeepTheRest) {
    ScenarioOptions options;
    options.entries = 2000;
    std::vector<std::uint32_t> starts;
    const auto plain = Decode(loggen::GenerateEntryWords(options, nullptr, &starts), starts);
    options.distinctCodes = true;
    starts.clear();
    const auto distinct = Decode(loggen::GenerateEntryWords(options, nullptr, &starts), starts);
    ASSERT_EQ(distinct.size(), plain.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        EXPECT_EQ(distinct[i].code, loggen::kFirstDistinctCode + i) << i;
        EXPECT_EQ(distinct[i].time, plain[i].time) << i;
        EXPECT_EQ(distinct[i].header, plain[i].header) << i;
        EXPECT_EQ(distinct[i].params, plain[i].params) << i;
    }
}

TEST_F(LoggenTest, TheReaderDeliversExactlyTheEntriesTheRingKeptInEveryForm) {
    ScenarioOptions options;
    options.entries = 4000;
    options.seed = 11;
    ScenarioSummary summary;
    std::vector<std::uint32_t> starts;
    const auto words = loggen::GenerateEntryWords(options, &summary, &starts);
    const auto ring = loggen::GenerateRing(options);
    const std::uint32_t ringWords = ring.Size();
    ASSERT_LT(ringWords, words.size());  // the ring wrapped
    // The entries whose words all lie within the last ringWords words survive.
    const auto firstSurvivor = static_cast<std::size_t>(
        std::lower_bound(starts.begin(), starts.end(),
                         static_cast<std::uint32_t>(words.size()) - ringWords) -
        starts.begin());
    const auto survivors = Decode(words, starts, firstSurvivor);
    ASSERT_GT(firstSurvivor, 0u);

    // The PC's clock a few days after the log: the entries dated years ahead are not newest.
    const test::FixedNowLocalTime clock(test::kPrinterEpoch + summary.lastTime + 3 * 86400);
    for (const LogForm form : {LogForm::Plain, LogForm::Compressed, LogForm::Bare}) {
        const std::string path = dir.File("g.log");
        test::WriteFile(path, loggen::GenerateLog(options, form));
        CQXLogFile reader(clock);
        const int opened = reader.Open(path);
        ASSERT_EQ(opened, form == LogForm::Bare ? 0 : 1);
        ASSERT_TRUE(opened == 1 ? reader.OpenLogData() : reader.OpenRawLog(path));
        EXPECT_EQ(reader.GetEntryCount(), static_cast<int>(survivors.size()));
        CQXLogEntry entry;
        std::size_t i = 0;
        while (reader.ReadEntry(entry) == 1) {
            ASSERT_LT(i, survivors.size());
            EXPECT_EQ(entry.time, survivors[i].time) << i;
            EXPECT_EQ(entry.code, survivors[i].code) << i;
            EXPECT_EQ(static_cast<std::uint32_t>(entry.milliseconds),
                      survivors[i].Milliseconds());
            ASSERT_EQ(static_cast<std::size_t>(entry.parameterLength),
                      survivors[i].params.size());
            EXPECT_TRUE(std::equal(survivors[i].params.begin(), survivors[i].params.end(),
                                   entry.Params().begin()));
            ++i;
        }
        EXPECT_EQ(i, survivors.size());
        EXPECT_TRUE(reader.Report().Empty());
    }
}

TEST_F(LoggenTest, AutomaticRingLeavesAStraddlingEntryAndALeftover) {
    ScenarioOptions options;
    options.entries = 2500;
    options.seed = 5;
    ScenarioSummary summary;
    const auto ring = loggen::GenerateRing(options, &summary);
    const auto& w = ring.Words();
    const std::uint32_t n = ring.Size();
    EXPECT_EQ(summary.ringWords, n);
    // Marker and time in the last two words, the rest of that entry from word 0 on.
    EXPECT_EQ(w[n - 2], kEntryMarker);
    EXPECT_NE(w[0], kEntryMarker);
    EXPECT_TRUE(ring.Wrapped());
    EXPECT_LT(std::count(w.begin(), w.end(), kEntryMarker), 2500);
}

TEST_F(LoggenTest, ContentCoversTheRecordsTheViewersAndStatisticsRead) {
    ScenarioOptions options;
    options.entries = 6000;
    options.seed = 2;
    ScenarioSummary summary;
    std::vector<std::uint32_t> starts;
    const auto words = loggen::GenerateEntryWords(options, &summary, &starts);
    const auto entries = Decode(words, starts);
    ASSERT_EQ(entries.size(), 6000u);
    EXPECT_GT(summary.jobs, 50u);
    EXPECT_GT(summary.futureEntries, 0u);

    std::set<std::uint32_t> types;
    std::map<std::uint32_t, int> codes;
    bool japaneseName = false;
    int ties = 0;
    int fullTies = 0;
    int future = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        types.insert(e.Type());
        ++codes[e.code];
        if (e.time > summary.lastTime + 31536000) {
            ++future;
        }
        if (i > 0 && e.time == entries[i - 1].time) {
            ++ties;
            fullTies += e.Milliseconds() == entries[i - 1].Milliseconds() ? 1 : 0;
        }
        switch (e.code) {
        case 0x90080000:
            ASSERT_GE(e.params.size(), 8u);
            EXPECT_EQ(e.params.back(), 0);
            japaneseName |= std::any_of(e.params.begin() + 4, e.params.end(),
                                        [](unsigned char c) { return c >= 0xE3; });
            break;
        case 0x90060000:
            ASSERT_GE(e.params.size(), 27u);
            EXPECT_GE(e.params[26], 1);
            EXPECT_LE(e.params[26], 3);
            break;
        case 0x90070000: {
            ASSERT_GE(e.params.size(), 17u);
            const unsigned resolution = ReadU16BE(e.params.data() + 14);
            EXPECT_TRUE(resolution == 600 || resolution == 1200) << resolution;
            break;
        }
        case 0x91010000:
        case 0x91020000:
            ASSERT_EQ(e.params.size(), 40u);  // job, copy and eight dot counts
            break;
        case 0x92000000:
            ASSERT_EQ(e.params.size(), 8u);
            EXPECT_LE(e.Word(0), 6u);
            break;
        case 0x00001060:
        case 0x00001061:
            EXPECT_EQ(e.Type(), 3u);
            EXPECT_LE(e.Word(0), 0xFFFFu);
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(types, (std::set<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (const std::uint32_t code :
         {0x00010000u, 0x03000000u, 0x12300000u, 0x12500000u, 0x12600000u, 0x13400000u,
          0x20000000u, 0x90000000u, 0x90030000u, 0x90090000u, 0x91000000u, 0x91020000u,
          0x92010000u, 0x00001060u, 0x00002051u, 0x00004100u}) {
        EXPECT_GT(codes[code], 0) << std::hex << code;
    }
    EXPECT_TRUE(japaneseName);
    EXPECT_GT(ties, 100);
    EXPECT_GT(fullTies, 0);
    EXPECT_EQ(future, static_cast<int>(summary.futureEntries));
}

std::uint32_t Sum(const unsigned char* data, std::uint32_t n) {
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i + 4 <= n; i += 4) {
        sum += ReadU32BE(data + i);
    }
    return sum;
}

TEST_F(LoggenTest, SettingsRecordsHaveTheTemplateSizesAndChosenChecksums) {
    const std::map<std::string, std::uint32_t> sizes = {{"EP11", 204}, {"EP12", 64},
                                                        {"EP13", 128}, {"EP14", 528},
                                                        {"EP15", 308}, {"EP16", 64}};
    const test::FixedNowLocalTime clock(test::kPrinterEpoch + 500000000);
    for (const bool bad : {false, true}) {
        ScenarioOptions options;
        options.entries = 200;
        options.badSettings = bad;
        const std::string path = dir.File(bad ? "bad.log" : "good.log");
        test::WriteFile(path, loggen::GenerateLog(options, LogForm::Plain));
        CQXLogFile reader(clock);
        ASSERT_EQ(reader.Open(path), 1);
        for (const auto& [tag, n] : sizes) {
            std::vector<unsigned char> record(1024);
            std::uint32_t length = 0;
            ASSERT_TRUE(reader.ReadBlock(tag, 1024, record.data(), length)) << tag;
            ASSERT_EQ(length, n + 16) << tag;
            const bool sumRight = Sum(record.data() + 12, n) == ReadU32BE(record.data() + 12 + n);
            const bool lengthRight = ReadU32BE(record.data() + 8) == n;
            EXPECT_EQ(sumRight, !(bad && tag == "EP13")) << tag;
            EXPECT_EQ(lengthRight, !(bad && tag == "EP16")) << tag;
        }
    }
}

TEST_F(LoggenTest, InformationBlocksAgreeWithTheHeader) {
    ScenarioOptions options;
    options.entries = 300;
    ScenarioSummary summary;
    const std::string path = dir.File("info.zlg");
    test::WriteFile(path, loggen::GenerateLog(options, LogForm::Compressed, &summary));
    const test::FixedNowLocalTime clock(test::kPrinterEpoch + 500000000);
    CQXLogFile reader(clock);
    std::string saved;
    ASSERT_EQ(reader.ReadHeaderText(path, saved), 1);
    unsigned char date[4];
    std::uint32_t length = 0;
    ASSERT_TRUE(reader.ReadBlock("Date", 4, date, length));
    const std::uint32_t savedAt = ReadU32BE(date);
    EXPECT_GT(savedAt, summary.lastTime);
    const auto civil = UtcFromSeconds(test::kPrinterEpoch + savedAt);
    ASSERT_TRUE(civil.has_value());
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04d%02d%02d%02d%02d", civil->year, civil->month,
                  civil->day, civil->hour, civil->minute);
    EXPECT_EQ(saved, expected);
    for (const char* tag : {"Cust", "Comm", "PCDT", "Prod", "18Cd"}) {
        std::string text;
        EXPECT_TRUE(reader.ReadTextBlock(tag, text)) << tag;
        EXPECT_FALSE(text.empty()) << tag;
    }
    EXPECT_TRUE(reader.ReadBlock("Vers", 0, nullptr, length));
    EXPECT_EQ(length, 20u);
    EXPECT_TRUE(reader.ReadBlock("MACa", 0, nullptr, length));
    EXPECT_EQ(length, 6u);
}

TEST(LoggenDateTest, StartDatesAreCheckedDates) {
    std::uint32_t time = 0;
    EXPECT_TRUE(loggen::ParseStartDate("2015-03-18", time));
    EXPECT_EQ(time, 480000000u - 13 * 3600 - 20 * 60);
    EXPECT_TRUE(loggen::ParseStartDate("2000-01-01", time));
    EXPECT_EQ(time, 0u);
    for (const char* bad :
         {"2014-02-30", "2014-3-01", "1999-12-31", "2014-03-01x", "", "2014/03/01"}) {
        EXPECT_FALSE(loggen::ParseStartDate(bad, time)) << bad;
    }
}

}  // namespace
}  // namespace qx7
