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
    if (final_.empty()) {
        final_.resize(kCountedBins);
    }
    BinTotals& bin = final_[static_cast<std::size_t>(s / 10)];
    ++bin.intervals;
    bin.seconds += s;
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
    // The totals of a 10-second bin: the final intervals and the newest, read in place.
    const std::size_t newestBin =
        newest < kCountedSeconds ? static_cast<std::size_t>(newest / 10) : kCountedBins;
    const auto intervalsIn = [&](std::size_t b) -> std::uint64_t {
        return (final_.empty() ? 0U : final_[b].intervals) + (b == newestBin ? 1U : 0U);
    };
    const auto secondsIn = [&](std::size_t b) -> std::uint64_t {
        return (final_.empty() ? 0U : final_[b].seconds) + (b == newestBin ? newest : 0U);
    };

    // Each interval is spread over six bins, from three below its own to two above: bin i
    // holds the intervals of bins i - 2 to i + 3.
    std::array<std::uint64_t, kBins> bins;
    for (std::size_t i = 0; i < kBins; ++i) {
        std::uint64_t sum = 0;
        const std::size_t from = i >= 2 ? i - 2 : 0;
        const std::size_t to = std::min(i + 3, kCountedBins - 1);
        for (std::size_t b = from; b <= to; ++b) {
            sum += intervalsIn(b);
        }
        bins[i] = sum;
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
        if (right - left <= widest) {
            continue;
        }
        widest = right - left;
        // Whole seconds add up exactly: the sum is the one a running double total would give.
        std::uint64_t sum = 0;
        std::uint64_t count = 0;
        for (auto b = static_cast<std::size_t>(left); b < static_cast<std::size_t>(right); ++b) {
            sum += secondsIn(b);
            count += intervalsIn(b);
        }
        if (count > 0) {
            result.SetSeconds(
                static_cast<std::uint32_t>(static_cast<double>(sum) / static_cast<double>(count)));
        }
    }
    return result;
}

}  // namespace qx7
