// Items made ahead on a thread of their own: all of them in their order, never more waiting
// than the queue holds, a maker that is not needed stopped, and its failure reported to the
// writer.

#include "core/export/MadeAhead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace qx7 {
namespace {

using RowsAhead = MadeAhead<std::string>;

std::size_t RowBytes(const std::string& row) {
    return sizeof row + row.size();
}

std::string Row(int i) {
    return "row " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 7), '.');
}

TEST(MadeAheadTest, AllRowsComeInTheirOrderAndNoMoreWaitThanTheQueueHolds) {
    constexpr int kRows = 20000;
    constexpr std::size_t kQueue = 1000;
    std::atomic<int> made{0};
    RowsAhead rows(
        [&](const RowsAhead::Sink& put, const std::atomic<bool>&) {
            for (int i = 0; i < kRows; ++i) {
                put(Row(i));
                made.fetch_add(1);
            }
        },
        RowBytes, kQueue);
    std::vector<std::string> taken;
    int mostAhead = 0;
    rows.Drain([&](std::string& row) {
        taken.push_back(row);
        // Rows made but not taken yet: those handed over at once plus a full queue, at most.
        mostAhead = std::max(mostAhead, made.load() - static_cast<int>(taken.size()));
    });
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kRows));
    for (int i = 0; i < kRows; i += 1237) {
        EXPECT_EQ(taken[static_cast<std::size_t>(i)], Row(i));
    }
    EXPECT_EQ(taken.back(), Row(kRows - 1));
    // A row takes at least 5 bytes and its holder: a queue's worth waits, as many again are in
    // the writer's hands.
    EXPECT_LE(mostAhead, 2 * static_cast<int>(kQueue / (5 + sizeof(std::string))) + 2);
}

TEST(MadeAheadTest, StoppingEndsAMakerThatWouldGoOnAndDropsItsRows) {
    std::atomic<int> made{0};
    RowsAhead rows(
        [&](const RowsAhead::Sink& put, const std::atomic<bool>& stopped) {
            while (!stopped.load()) {
                put(Row(made.fetch_add(1)));
            }
        },
        RowBytes, 64);
    rows.Stop();
    // The maker has ended (Stop waits for it) and what it made is gone.
    const int atStop = made.load();
    std::size_t taken = 0;
    rows.Drain([&](std::string&) { ++taken; });
    EXPECT_EQ(taken, 0U);
    EXPECT_EQ(made.load(), atStop);
    // Going out of scope unread stops a maker too (else this test would not end).
    {
        RowsAhead unread(
            [](const RowsAhead::Sink& put, const std::atomic<bool>& stopped) {
                while (!stopped.load()) {
                    put("row");
                }
            },
            RowBytes);
    }
}

TEST(MadeAheadTest, TheMakersFailureComesOutOfTheDrainAfterTheRowsBeforeIt) {
    RowsAhead rows(
        [](const RowsAhead::Sink& put, const std::atomic<bool>&) {
            put("first");
            put("second");
            throw std::runtime_error("no more");
        },
        RowBytes);
    std::vector<std::string> taken;
    EXPECT_THROW(rows.Drain([&](std::string& row) { taken.push_back(row); }),
                 std::runtime_error);
    EXPECT_EQ(taken, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
}  // namespace qx7
