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
    if (finalBySecond_.size() <= s) {
        finalBySecond_.resize(static_cast<std::size_t>(s) + 1, 0);
    }
    ++finalBySecond_[static_cast<std::size_t>(s)];
}

CElapsedTime CWorkTime::TypicalInterval() const {
    // No interval under an hour, no cluster (most jobs are one print): zero, without the bins.
    if (finalBySecond_.empty() && (count_ == 0 || CountedSeconds(newest_) >= kCountedSeconds)) {
        return {};
    }
    // Every interval as (seconds, how many): the final ones and the newest, read in place.
    const std::uint64_t newest = count_ > 0 ? CountedSeconds(newest_) : kCountedSeconds;
    // One interval under the hour (a job of one print) is a cluster of its own, whose mean it
    // is: its bins are the only ones, all of them peaks that span the same cluster.
    if (finalBySecond_.empty() && newest < std::uint64_t{kBins} * 10) {
        CElapsedTime result;
        result.SetSeconds(static_cast<std::uint32_t>(newest));
        return result;
    }
    const std::size_t size = std::max(
        finalBySecond_.size(), newest < kCountedSeconds ? static_cast<std::size_t>(newest) + 1 : 0);
    const auto bySecond = [&](std::size_t s) -> std::uint64_t {
        return (s < finalBySecond_.size() ? finalBySecond_[s] : 0U) + (s == newest ? 1U : 0U);
    };

    std::array<std::uint64_t, kBins> bins{};
    for (std::size_t s = 0; s < size; ++s) {
        const std::uint64_t count = bySecond(s);
        if (count == 0) {
            continue;
        }
        const auto b = static_cast<long long>(s / 10);
        const long long from = std::max(b - 3, 0LL);
        const long long to = std::min(b + 3, static_cast<long long>(kBins));
        for (long long i = from; i < to; ++i) {
            bins[static_cast<std::size_t>(i)] += count;
        }
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
        const auto upper = std::min(static_cast<std::size_t>(right) * 10, size);
        for (std::size_t s = static_cast<std::size_t>(left) * 10; s < upper; ++s) {
            sum += s * bySecond(s);
            count += bySecond(s);
        }
        if (count > 0) {
            result.SetSeconds(
                static_cast<std::uint32_t>(static_cast<double>(sum) / static_cast<double>(count)));
        }
    }
    return result;
}

}  // namespace qx7
