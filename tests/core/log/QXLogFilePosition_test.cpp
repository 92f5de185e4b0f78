// Going back in the log reader: the position of an entry read, and reading again from it. The
// analysis listing leans on this to list newest first without keeping the entries.

#include <gtest/gtest.h>

#include <random>

#include "core/log/LogAnalysis.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kPresent = 480000000;  // 2015-03-18 13:20:00 UTC

struct Read {
    std::uint32_t position;
    std::uint32_t time;
    std::uint32_t code;
    std::vector<unsigned char> params;
    bool operator==(const Read&) const = default;
};

class ReaderPositionTest : public ::testing::Test {
  protected:
    // A small ring written until it has wrapped a few times and the newest entry straddles the end;
    // leftovers of overwritten entries lie between whole ones, and one error in three.
    ReaderPositionTest() : ring_(97) {
        std::mt19937 random(11);
        std::uint32_t time = kPresent - 100000;
        for (std::uint32_t i = 0; !straddles_; ++i) {
            loggen::EntrySpec entry;
            entry.time = time += 60;
            entry.code = 0x00002070;
            entry.type = i % 3 == 0 ? 2 : 4;
            entry.params.resize(4 * (random() % 4));
            for (auto& byte : entry.params) {
                byte = static_cast<unsigned char>(random() % 0x40);
            }
            const std::uint32_t before = ring_.Cursor();
            ring_.Write(entry);
            straddles_ = i >= 60 && ring_.Cursor() < before && ring_.Cursor() > 0;
        }
    }

    std::vector<std::string> Paths() {
        const std::string plain = loggen::ContainerBuilder().LogData(ring_).End().Plain();
        test::WriteFile(dir_.File("p1.log"), plain);
        test::WriteFile(dir_.File("p1.zlg"), loggen::Compress(plain));
        test::WriteFile(dir_.File("p1.bin"), ring_.Bytes());
        return {dir_.File("p1.log"), dir_.File("p1.zlg"), dir_.File("p1.bin")};
    }

    bool OpenEntries(CQXLogFile& reader, const std::string& path) {
        const int opened = reader.Open(path);
        return opened == 1 ? reader.OpenLogData() : opened == 0 && reader.OpenRawLog(path);
    }

    static std::vector<Read> ReadOn(CQXLogFile& reader) {
        std::vector<Read> result;
        CQXLogEntry entry;
        while (reader.ReadEntry(entry) == 1) {
            result.push_back({reader.EntryPosition(), entry.time, entry.code, entry.Params()});
        }
        return result;
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz_); }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    test::FixedNowLocalTime clock_{test::kPrinterEpoch + kPresent};
    loggen::Ring ring_;
    bool straddles_ = false;  // the newest entry begins at the end and goes on at the start
};

TEST_F(ReaderPositionTest, ReadingAgainFromAnyEntryGivesThatEntryAndTheRestAsBefore) {
    for (const std::string& path : Paths()) {
        CQXLogFile reader(clock_);
        ASSERT_TRUE(OpenEntries(reader, path)) << path;
        const std::vector<Read> all = ReadOn(reader);
        ASSERT_GT(all.size(), 10u);
        // Positions grow along the delivery and stay inside the ring.
        for (std::size_t i = 1; i < all.size(); ++i) {
            EXPECT_LT(all[i - 1].position, all[i].position);
        }
        EXPECT_LT(all.back().position, ring_.Size());
        EXPECT_TRUE(straddles_);
        for (std::size_t i = 0; i < all.size(); ++i) {
            ASSERT_TRUE(reader.SeekEntry(all[i].position));
            EXPECT_EQ(ReadOn(reader),
                      std::vector<Read>(all.begin() + static_cast<long>(i), all.end()))
                << path << " from entry " << i;
        }
        EXPECT_FALSE(reader.SeekEntry(ring_.Size()));
        reader.Close();
        EXPECT_FALSE(reader.SeekEntry(0));
    }
    CQXLogFile unopened(clock_);
    EXPECT_FALSE(unopened.SeekEntry(0));
}

TEST_F(ReaderPositionTest, AnalysisListingOfAFileIsTheSameWhateverTheStretches) {
    const LogTextContext english(kEnglish, clock_);
    for (const std::string& path : Paths()) {
        std::string expected;
        for (const std::uint32_t stretch : {kListingStretchWords, 1u, 5u, 23u}) {
            CQXLogFile reader(clock_);
            ASSERT_TRUE(OpenEntries(reader, path));
            std::string listing;
            EXPECT_EQ(StreamAnalysisListing(
                          reader, LogAnalyses()[0], kNoLimit, english,
                          [&](std::string_view piece) {
                              listing += piece;
                              return true;
                          },
                          stretch),
                      ListingEnd::kComplete);
            if (expected.empty()) {
                expected = listing;
                EXPECT_GT(std::count(listing.begin(), listing.end(), '\n'), 5);
            }
            EXPECT_EQ(listing, expected) << path << ", stretch " << stretch;
        }
        EXPECT_EQ(RunLogAnalysis(path, LogAnalyses()[0], kNoLimit, messages_, english), expected);
    }
}

}  // namespace
}  // namespace qx7
