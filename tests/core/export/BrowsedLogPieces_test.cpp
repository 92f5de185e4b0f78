// A log browsed while its index is read a piece at a time: the pieces add up to the index
// opened at once, rows of what is in are there meanwhile, and the end is told as before:
// damage, a cancel, a log that cannot be opened.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "core/export/BrowsedLog.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kPresent = 480000000;  // 2015-03-18 13:20:00 UTC

class BrowsedLogPiecesTest : public ::testing::Test {
  protected:
    // A ring written past its end, every type, parameters of several lengths.
    static loggen::Ring WrappedRing(std::uint32_t words, std::uint32_t entries) {
        loggen::Ring ring(words);
        std::mt19937 engine(11);
        std::uint32_t time = kPresent - 5000000;
        for (std::uint32_t i = 0; i < entries; ++i) {
            loggen::EntrySpec entry;
            entry.time = time += 30 + static_cast<std::uint32_t>(engine() % 500);
            entry.type = i % 8;
            entry.code = 0x1000 + static_cast<std::uint32_t>(engine() % 40);
            entry.params = loggen::WordParams({static_cast<std::uint32_t>(engine() % 200)});
            entry.params.resize(4 * (engine() % 3));
            ring.Write(entry);
        }
        return ring;
    }

    // The log as a plain container, compressed and bare.
    std::vector<std::string> Logs(const loggen::Ring& ring) {
        const std::string plain = loggen::ContainerBuilder().LogData(ring).End().Plain();
        test::WriteFile(dir_.File("p.log"), plain);
        test::WriteFile(dir_.File("p.zlg"), loggen::Compress(plain));
        test::WriteFile(dir_.File("p.bin"), ring.Bytes());
        return {dir_.File("p.log"), dir_.File("p.zlg"), dir_.File("p.bin")};
    }

    static std::string Line(BrowsedLog& log, std::size_t i) {
        LogEntryRow row;
        return log.Row(i, row) ? FormatRowLine(row) : std::string("(none)");
    }

    static void ExpectSameIndex(const LogEntryIndex& index, const LogEntryIndex& expected,
                                std::size_t entries) {
        ASSERT_GE(expected.Size(), entries);
        ASSERT_EQ(index.Size(), entries);
        for (std::size_t i = 0; i < entries; ++i) {
            ASSERT_EQ(index[i].position, expected[i].position) << i;
            ASSERT_EQ(index[i].code, expected[i].code) << i;
            ASSERT_EQ(index[i].time, expected[i].time) << i;
            ASSERT_EQ(index[i].type, expected[i].type) << i;
        }
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz_); }

    test::ScopedTimeZone tz_{"Asia/Tokyo"};
    test::TempDir dir_;
    test::FixedNowLocalTime clock_{test::kPrinterEpoch + kPresent};
};

TEST_F(BrowsedLogPiecesTest, ThePiecesAddUpToTheLogOpenedAtOnceWithItsRowsOnTheWay) {
    const loggen::Ring ring = WrappedRing(30001, 9000);
    ASSERT_TRUE(ring.Wrapped());
    for (const std::string& path : Logs(ring)) {
        BrowsedLog whole(kEnglish, clock_);
        ASSERT_EQ(whole.Open(path), BrowseOpenResult::kOpened) << path;

        BrowsedLog log(kEnglish, clock_);
        std::vector<std::size_t> sizes;
        int ends = 0;
        const BrowseOpenResult result = log.OpenInPieces(
            path,
            [&](BrowsedPiece&& piece) {
                sizes.push_back(piece.entries.size());
                EXPECT_EQ(piece.total, static_cast<int>(whole.Index().Size()));
                ends += piece.end ? 1 : 0;
                // The codes come with the last piece, and only then are they the log's.
                EXPECT_EQ(piece.codes.empty(), !piece.end);
                log.AddPiece(piece);
                EXPECT_EQ(log.Codes().empty(), !piece.end);
                // The rows in so far are the finished log's at the same places, read between
                // the pieces from the reader the pieces come from.
                const std::size_t in = log.Index().Size();
                for (const std::size_t i : {std::size_t{0}, in / 2, in - 1}) {
                    EXPECT_EQ(Line(log, i), Line(whole, i)) << path << " row " << i;
                }
                EXPECT_EQ(Line(log, in), "(none)");
            },
            nullptr, {7, 300});
        EXPECT_EQ(result, BrowseOpenResult::kOpened) << path;
        EXPECT_EQ(ends, 1);
        // Pieces of the sizes asked for, the last one short (or empty, when the entries end
        // with a piece).
        ASSERT_EQ(sizes.size(), (whole.Index().Size() - 7) / 300 + 2);
        EXPECT_EQ(sizes.front(), 7u);
        for (std::size_t k = 1; k + 1 < sizes.size(); ++k) {
            EXPECT_EQ(sizes[k], 300u) << k;
        }
        ExpectSameIndex(log.Index(), whole.Index(), whole.Index().Size());
        EXPECT_EQ(log.Codes(), whole.Codes());
        for (std::size_t i = 0; i < whole.Index().Size(); i += 37) {
            EXPECT_EQ(Line(log, i), Line(whole, i)) << path << " row " << i;
        }
    }
}

TEST_F(BrowsedLogPiecesTest, ACancelStopsBetweenPiecesAndClosesTheLog) {
    const std::string path = Logs(WrappedRing(30001, 9000))[1];
    BrowsedLog log(kEnglish, clock_);
    std::atomic<bool> cancel{false};
    int pieces = 0;
    EXPECT_EQ(log.OpenInPieces(
                  path,
                  [&](BrowsedPiece&& piece) {
                      EXPECT_FALSE(piece.end);
                      log.AddPiece(piece);
                      if (++pieces == 2) {
                          cancel = true;
                      }
                  },
                  &cancel, {100, 100}),
              BrowseOpenResult::kCancelled);
    EXPECT_EQ(pieces, 2);
    EXPECT_EQ(log.Index().Size(), 200u);
    EXPECT_EQ(Line(log, 0), "(none)");  // closed: its rows are gone with the reader
}

TEST_F(BrowsedLogPiecesTest, ALogThatCannotBeOpenedSaysWhyAsBeforeAndHandsNoPiece) {
    std::string bytes = loggen::Compress(loggen::ContainerBuilder().End().Plain());
    bytes.resize(bytes.size() / 2);
    test::WriteFile(dir_.File("cut.zlg"), bytes);
    for (const std::string& path : {dir_.File("cut.zlg"), dir_.File("missing.zlg")}) {
        BrowsedLog whole(kEnglish, clock_);
        ASSERT_EQ(whole.Open(path), BrowseOpenResult::kCannotOpen);
        ASSERT_FALSE(whole.Cause().empty());
        BrowsedLog log(kEnglish, clock_);
        int pieces = 0;
        EXPECT_EQ(log.OpenInPieces(path, [&](BrowsedPiece&&) { ++pieces; }),
                  BrowseOpenResult::kCannotOpen);
        EXPECT_EQ(pieces, 0);
        EXPECT_EQ(log.Cause(), whole.Cause());
    }
}

// A log cut short while it is read (a card pulled, a file replaced): the entries before the
// damage stay, and the end says the reading stopped there.
TEST_F(BrowsedLogPiecesTest, ALogCutWhileItIsReadEndsPartlyWithTheEntriesBeforeTheCut) {
    const std::string path = Logs(WrappedRing(400001, 60000))[0];
    BrowsedLog whole(kEnglish, clock_);
    ASSERT_EQ(whole.Open(path), BrowseOpenResult::kOpened);
    const auto size = std::filesystem::file_size(path);

    BrowsedLog log(kEnglish, clock_);
    std::optional<BrowseOpenResult> end;
    int pieces = 0;
    EXPECT_EQ(log.OpenInPieces(
                  path,
                  [&](BrowsedPiece&& piece) {
                      log.AddPiece(piece);
                      end = piece.end;
                      if (++pieces == 1) {
                          std::filesystem::resize_file(path, size / 2);
                      }
                  },
                  nullptr, {1000, 5000}),
              BrowseOpenResult::kPartly);
    EXPECT_EQ(end, BrowseOpenResult::kPartly);
    EXPECT_GT(log.Index().Size(), 1000u);
    EXPECT_LT(log.Index().Size(), whole.Index().Size());
    ExpectSameIndex(log.Index(), whole.Index(), log.Index().Size());
    EXPECT_EQ(log.Codes(), DistinctCodes(log.Index()));
    EXPECT_EQ(Line(log, 10), Line(whole, 10));
}

}  // namespace
}  // namespace qx7
