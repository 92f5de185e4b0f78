#include "core/export/WorkTime.h"

#include <algorithm>
#include <array>

namespace qx7 {
namespace {

constexpr int kBins = 360;  // ten seconds each: one hour
// Intervals from this length on reach no bin and no cluster: they need not be counted.
constexpr std::uint64_t kCountedSeconds = (kBins + 3) * 10;

// Whole seconds of an interval under an hour that can take part; kCountedSeconds otherwise.
std::uint64_t CountedSeconds(const CElapsedTime& interval) {
    if (interval.Hours() != 0) {
        return kCountedSeconds;
    }
    const std::uint64_t s = std::uint64_t{interval.Minutes()} * 60 + interval.Seconds();
    return std::min(s, kCountedSeconds);
}

}  // namespace

void CWorkTime::push_back(const CElapsedTime& interval) {
    if (count_ > 0) {
        Count(newest_);
    }
    newest_ = interval;
    ++count_;
}

void CWorkTime::Count(const CElapsedTime& interval) {
    const std::uint64_t s = CountedSeconds(interval);
    if (s >= kCountedSeconds) {
        return;
    }
    const auto bin = static_cast<std::size_t>(s / 10);
    if (final_.size() <= bin) {
        final_.resize(bin + 1);
    }
    ++final_[bin].intervals;
    final_[bin].seconds += s;
}

CElapsedTime CWorkTime::TypicalInterval() const {
    const std::uint64_t newest = count_ > 0 ? CountedSeconds(newest_) : kCountedSeconds;
    if (final_.empty()) {
        // No interval under an hour, no cluster (most jobs are one print): zero.
        if (newest >= kCountedSeconds) {
            return {};
        }
        // One interval under the hour (a job of one print) is a cluster of its own, whose mean
        // it is: its bins are the only ones, all of them peaks that span the same cluster.
        if (newest < std::uint64_t{kBins} * 10) {
            CElapsedTime result;
            result.SetSeconds(static_cast<std::uint32_t>(newest));
            return result;
        }
    }
    // The intervals of each 10-second bin, the final ones and the newest, with two empty bins
    // before the first.
    std::array<std::uint64_t, kCountedBins + 2> counts{};
    for (std::size_t b = 0; b < final_.size(); ++b) {
        counts[b + 2] = final_[b].intervals;
    }
    const std::size_t newestBin =
        newest < kCountedSeconds ? static_cast<std::size_t>(newest / 10) : kCountedBins;
    if (newestBin < kCountedBins) {
        ++counts[newestBin + 2];
    }
    // Each interval is spread over six bins, from three below its own to two above: bin i
    // holds the intervals of bins i - 2 to i + 3.
    std::array<std::uint64_t, kBins> bins;
    for (std::size_t i = 0; i < kBins; ++i) {
        bins[i] = counts[i] + counts[i + 1] + counts[i + 2] + counts[i + 3] + counts[i + 4] +
                  counts[i + 5];
    }
    const std::uint64_t highest = *std::max_element(bins.begin(), bins.end());
    CElapsedTime result;
    int widest = 0;
    for (int peak = 0; peak < kBins; ++peak) {
        if (bins[static_cast<std::size_t>(peak)] != highest) {
            continue;
        }
        int left = peak;
        while (left > 0 && bins[static_cast<std::size_t>(left)] > 0) {
            --left;
        }
        int right = peak;
        while (right < kBins && bins[static_cast<std::size_t>(right)] > 0) {
            ++right;
        }
        // The other peaks up to `right` lie in this cluster: they would find it again.
        const int next = right;
        if (right - left > widest) {
            widest = right - left;
            // Whole seconds add up exactly: the sum is the one a running double total would
            // give.
            std::uint64_t sum = 0;
            std::uint64_t count = 0;
            for (auto b = static_cast<std::size_t>(left); b < static_cast<std::size_t>(right);
                 ++b) {
                if (b < final_.size()) {
                    sum += final_[b].seconds;
                    count += final_[b].intervals;
                }
                if (b == newestBin) {
                    sum += newest;
                    ++count;
                }
            }
            if (count > 0) {
                result.SetSeconds(static_cast<std::uint32_t>(static_cast<double>(sum) /
                                                             static_cast<double>(count)));
            }
        }
        peak = std::max(peak, next - 1);
    }
    return result;
}

}  // namespace qx7
