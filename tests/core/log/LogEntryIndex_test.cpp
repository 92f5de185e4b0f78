// The browser's entry index: one pass notes every entry; rows come back on demand, in any
// order, exactly as the sequential reading and the text export give them.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "core/export/EntryBrowsing.h"
#include "core/export/LogExport.h"
#include "core/log/LogEntryIndex.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/LogEntryFeed.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kPresent = 480000000;  // 2015-03-18 13:20:00 UTC

class LogEntryIndexTest : public ::testing::Test {
  protected:
    // A ring written past its end several times, so the oldest entry is cut and leftovers lie
    // between whole entries; every type 0..7, parameters of several lengths.
    static loggen::Ring WrappedRing(std::uint32_t words, std::uint32_t entries) {
        loggen::Ring ring(words);
        std::mt19937 engine(5);
        auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
        std::uint32_t time = kPresent - 5000000;
        for (std::uint32_t i = 0; i < entries; ++i) {
            loggen::EntrySpec entry;
            entry.time = time += 37 + random() % 600;
            entry.type = i % 8;
            entry.code = (i % 5 == 0) ? 0x00001060 : (i % 5 == 1 ? 0x91000000 : 0x00010000);
            entry.params = loggen::WordParams({random() % 200, random()});
            entry.params.resize(4 * (random() % 3));
            ring.Write(entry);
        }
        return ring;
    }

    std::vector<std::string> Logs(const loggen::Ring& ring) {
        const std::string plain = loggen::ContainerBuilder().LogData(ring).End().Plain();
        test::WriteFile(dir_.File("p.log"), plain);
        test::WriteFile(dir_.File("p.zlg"), loggen::Compress(plain));
        test::WriteFile(dir_.File("p.bin"), ring.Bytes());
        return {dir_.File("p.log"), dir_.File("p.zlg"), dir_.File("p.bin")};
    }

    bool OpenEntries(CQXLogFile& reader, const std::string& path) {
        const int opened = reader.Open(path);
        return opened == 1 ? reader.OpenLogData() : opened == 0 && reader.OpenRawLog(path);
    }

    // The text export's lines of the log (headers dropped, CR LF removed).
    std::vector<std::string> ExportedLines(const std::string& path, bool extendedData) {
        CQXLogFile reader(clock_);
        EXPECT_TRUE(OpenEntries(reader, path));
        const std::string out = dir_.File("export.txt");
        std::FILE* file = std::fopen(out.c_str(), "wb");
        LogExportOptions options;
        options.extendedData = extendedData;
        EXPECT_EQ(ExportText(reader, file, english_, options), kExportOk);
        std::fclose(file);
        reader.Close();
        std::istringstream text(test::ReadFile(out));
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(text, line)) {
            EXPECT_EQ(line.back(), '\r');
            line.pop_back();
            lines.push_back(line);
        }
        lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz_); }

    test::ScopedTimeZone tz_{"Asia/Tokyo"};
    test::TempDir dir_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    test::FixedNowLocalTime clock_{test::kPrinterEpoch + kPresent};
    LogTextContext english_{kEnglish, clock_};
};

TEST_F(LogEntryIndexTest, IndexAndRowsEqualTheSequentialReadingOnEveryForm) {
    const loggen::Ring ring = WrappedRing(4001, 2600);
    ASSERT_TRUE(ring.Wrapped());
    for (const std::string& path : Logs(ring)) {
        CQXLogFile reader(clock_);
        ASSERT_TRUE(OpenEntries(reader, path)) << path;
        std::vector<CQXLogEntry> sequential;
        CQXLogEntry entry;
        while (reader.ReadEntry(entry) == 1) {
            sequential.push_back(entry);
        }
        ASSERT_GT(sequential.size(), LogEntryRows::kStretchRows * 2);

        ASSERT_TRUE(reader.Close());
        ASSERT_TRUE(OpenEntries(reader, path));
        LogEntryIndex index;
        std::vector<std::size_t> told;
        EXPECT_EQ(index.Build(reader,
                              [&](std::size_t indexed, int total) {
                                  told.push_back(indexed);
                                  EXPECT_EQ(total, reader.GetEntryCount());
                                  return true;
                              }),
                  IndexEnd::kComplete);
        ASSERT_EQ(index.Size(), sequential.size()) << path;
        EXPECT_EQ(told.front(), 0u);
        EXPECT_EQ(told.back(), index.Size());

        // Newest to oldest, then a shuffled order: stretches are read and dropped again.
        LogEntryRows rows(reader, index, english_);
        std::vector<std::size_t> order(index.Size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = order.size() - 1 - i;
        }
        std::vector<std::size_t> shuffled = order;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
        order.insert(order.end(), shuffled.begin(), shuffled.end());
        for (const std::size_t i : order) {
            CQXLogEntry again;
            ASSERT_TRUE(rows.Entry(i, again)) << i;
            EXPECT_EQ(again.time, sequential[i].time);
            EXPECT_EQ(again.code, sequential[i].code);
            EXPECT_EQ(again.type, sequential[i].type);
            EXPECT_EQ(again.Params(), sequential[i].Params()) << i;
            EXPECT_EQ(index[i].time, sequential[i].time);
            EXPECT_EQ(index[i].code, sequential[i].code);
            EXPECT_EQ(index[i].type, sequential[i].type);
        }
        LogEntryRow row;
        EXPECT_FALSE(rows.Row(index.Size(), row));
        reader.Close();
    }
}

TEST_F(LogEntryIndexTest, RowsOfTheTextTypesAreTheTextExportsLines) {
    const loggen::Ring ring = WrappedRing(3001, 1500);
    for (const bool extendedData : {false, true}) {
        for (const std::string& path : Logs(ring)) {
            const std::vector<std::string> expected = ExportedLines(path, extendedData);
            CQXLogFile reader(clock_);
            ASSERT_TRUE(OpenEntries(reader, path));
            LogEntryIndex index;
            ASSERT_EQ(index.Build(reader), IndexEnd::kComplete);
            LogEntryRows rows(reader, index, english_, extendedData);
            std::vector<std::string> shown;
            for (const std::uint32_t i : SelectEntries(index, EntryFilter{})) {
                LogEntryRow row;
                ASSERT_TRUE(rows.Row(i, row));
                EXPECT_EQ(row.number, i);
                shown.push_back(FormatRowLine(row));
            }
            EXPECT_EQ(shown, expected) << path << (extendedData ? " ext" : "");
            reader.Close();
        }
    }
}

TEST_F(LogEntryIndexTest, BuildingStopsWhenAskedAndReplacesAnEarlierIndex) {
    const loggen::Ring ring = WrappedRing(400000, 60000);
    const std::string path = Logs(ring)[0];
    CQXLogFile reader(clock_);
    ASSERT_TRUE(OpenEntries(reader, path));
    LogEntryIndex index;
    int calls = 0;
    EXPECT_EQ(index.Build(reader, [&](std::size_t, int) { return ++calls < 2; }),
              IndexEnd::kCancelled);
    EXPECT_EQ(index.Size(), kIndexProgressStep);

    ASSERT_TRUE(reader.Close());
    ASSERT_TRUE(OpenEntries(reader, path));
    EXPECT_EQ(index.Build(reader), IndexEnd::kComplete);
    EXPECT_EQ(index.Size(), 60000u);

    // A log of more entries than an index takes keeps its first ones, and says so.
    ASSERT_TRUE(reader.Close());
    ASSERT_TRUE(OpenEntries(reader, path));
    std::size_t lastTold = 0;
    EXPECT_EQ(
        index.Build(
            reader, [&](std::size_t indexed, int) { return (lastTold = indexed), true; }, 50000),
        IndexEnd::kFull);
    EXPECT_EQ(index.Size(), 50000u);
    EXPECT_EQ(lastTold, 50000u);
    LogEntryRows rows(reader, index, english_);
    LogEntryRow row;
    EXPECT_TRUE(rows.Row(49999, row));
    EXPECT_FALSE(rows.Row(50000, row));

    // Exactly as many entries as the index takes: nothing is left out, so nothing is said.
    ASSERT_TRUE(reader.Close());
    ASSERT_TRUE(OpenEntries(reader, path));
    EXPECT_EQ(index.Build(reader, {}, 60000), IndexEnd::kComplete);
    EXPECT_EQ(index.Size(), 60000u);
    reader.Close();
}

TEST_F(LogEntryIndexTest, PiecesEndAsBuildEndsAtTheLimitAndAtAReadError) {
    std::vector<CQXLogEntry> entries;
    for (std::uint32_t i = 0; i < 10; ++i) {
        entries.push_back(test::MakeEntry(kPresent + i, 0x1000 + i, 1 + static_cast<int>(i % 5)));
    }
    // Indexed in pieces of three, with a reading elsewhere between them.
    const auto inPieces = [](test::VectorEntrySource& source, std::size_t most,
                             std::vector<IndexedEntry>& all) {
        LogEntryIndexer indexer(most);
        std::vector<IndexedEntry> piece;
        for (;;) {
            const auto end = indexer.Next(source, 3, piece);
            all.insert(all.end(), piece.begin(), piece.end());
            if (end) {
                return *end;
            }
            EXPECT_TRUE(source.SeekEntry(0));
        }
    };
    struct Case {
        std::size_t most;
        int failAfter;
        IndexEnd end;
        std::size_t indexed;
    };
    for (const Case& c : {Case{10, -1, IndexEnd::kComplete, 10}, Case{9, -1, IndexEnd::kFull, 9},
                          Case{3, -1, IndexEnd::kFull, 3}, Case{10, 5, IndexEnd::kReadFailed, 5},
                          Case{10, 6, IndexEnd::kReadFailed, 6}}) {
        test::VectorEntrySource whole(entries, c.failAfter);
        LogEntryIndex index;
        ASSERT_EQ(index.Build(whole, {}, c.most), c.end) << c.most << " " << c.failAfter;
        ASSERT_EQ(index.Size(), c.indexed);

        test::VectorEntrySource source(entries, c.failAfter);
        std::vector<IndexedEntry> all;
        EXPECT_EQ(inPieces(source, c.most, all), c.end) << c.most << " " << c.failAfter;
        ASSERT_EQ(all.size(), c.indexed);
        for (std::size_t i = 0; i < all.size(); ++i) {
            EXPECT_EQ(all[i].position, index[i].position);
            EXPECT_EQ(all[i].code, index[i].code);
            EXPECT_EQ(all[i].time, index[i].time);
            EXPECT_EQ(all[i].type, index[i].type);
        }
    }
}

}  // namespace
}  // namespace qx7
