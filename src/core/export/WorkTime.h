#pragma once
// The durations between the ends of consecutive prints of one job, and the typical one.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/log/ElapsedTime.h"

namespace qx7 {

// Only the newest interval is kept as it is, since the print that ends it still lengthens it;
// the earlier ones are counted by the 10-second bin of their length in whole seconds, which is
// all the typical interval looks at. A job of millions of prints so costs a few KiB at most.
class CWorkTime {
  public:
    // Starts a new interval; the one before it is final from then on.
    void push_back(const CElapsedTime& interval);
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    // The newest interval (only when not empty).
    CElapsedTime& back() { return newest_; }
    const CElapsedTime& back() const { return newest_; }

    // The mean of the densest cluster of intervals under an hour (10-second bins, each interval
    // spread over six of them); zero when no interval is under an hour.
    CElapsedTime TypicalInterval() const;

    // The memory held besides the object itself.
    std::size_t HeldBytes() const { return final_.capacity() * sizeof(BinTotals); }

  private:
    void Count(const CElapsedTime& interval);

    // The final intervals under the hour (and the few seconds the bins still reach) by their
    // 10-second bin: how many and their whole seconds added up, all the typical interval needs.
    struct BinTotals {
        std::uint64_t intervals = 0;
        std::uint64_t seconds = 0;
    };
    static constexpr std::size_t kCountedBins = 363;
    std::vector<BinTotals> final_;  // empty until an interval is final
    std::size_t count_ = 0;
    CElapsedTime newest_;
};

}  // namespace qx7
