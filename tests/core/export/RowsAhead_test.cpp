// Rows made ahead on a thread of their own: all of them in their order, never more waiting than
// the queue holds, a maker that is not needed stopped, and its failure reported to the writer.

#include "core/export/RowsAhead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace qx7 {
namespace {

std::string Row(int i) {
    return "row " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 7), '.');
}

TEST(RowsAheadTest, AllRowsComeInTheirOrderAndNoMoreWaitThanTheQueueHolds) {
    constexpr int kRows = 20000;
    constexpr std::size_t kQueue = 1000;
    std::atomic<int> made{0};
    RowsAhead rows(
        [&](const RowsAhead::RowSink& put, const std::atomic<bool>&) {
            for (int i = 0; i < kRows; ++i) {
                put(Row(i));
                made.fetch_add(1);
            }
        },
        kQueue);
    std::vector<std::string> taken;
    int mostAhead = 0;
    rows.Drain([&](std::string_view row) {
        taken.emplace_back(row);
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

TEST(RowsAheadTest, StoppingEndsAMakerThatWouldGoOnAndDropsItsRows) {
    std::atomic<int> made{0};
    RowsAhead rows(
        [&](const RowsAhead::RowSink& put, const std::atomic<bool>& stopped) {
            while (!stopped.load()) {
                put(Row(made.fetch_add(1)));
            }
        },
        64);
    rows.Stop();
    // The maker has ended (Stop waits for it) and what it made is gone.
    const int atStop = made.load();
    std::size_t taken = 0;
    rows.Drain([&](std::string_view) { ++taken; });
    EXPECT_EQ(taken, 0U);
    EXPECT_EQ(made.load(), atStop);
    // Going out of scope unread stops a maker too (else this test would not end).
    {
        RowsAhead unread([](const RowsAhead::RowSink& put, const std::atomic<bool>& stopped) {
            while (!stopped.load()) {
                put("row");
            }
        });
    }
}

TEST(RowsAheadTest, TheMakersFailureComesOutOfTheDrainAfterTheRowsBeforeIt) {
    RowsAhead rows([](const RowsAhead::RowSink& put, const std::atomic<bool>&) {
        put("first");
        put("second");
        throw std::runtime_error("no more");
    });
    std::vector<std::string> taken;
    EXPECT_THROW(rows.Drain([&](std::string_view row) { taken.emplace_back(row); }),
                 std::runtime_error);
    EXPECT_EQ(taken, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
}  // namespace qx7
