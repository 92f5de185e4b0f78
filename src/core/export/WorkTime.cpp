#include "core/export/WorkTime.h"

#include <algorithm>
#include <array>

namespace qx7 {
namespace {

constexpr int kBins = 360;  // ten seconds each: one hour

}  // namespace

CElapsedTime CWorkTime::TypicalInterval() const {
    std::array<int, kBins> bins{};
    for (const CElapsedTime& interval : *this) {
        if (interval.Hours() != 0) {
            continue;
        }
        const auto s = static_cast<long long>(interval.Minutes()) * 60 + interval.Seconds();
        const long long b = s / 10;
        const long long from = std::max(b - 3, 0LL);
        const long long to = std::min(b + 3, static_cast<long long>(kBins));
        for (long long i = from; i < to; ++i) {
            ++bins[static_cast<std::size_t>(i)];
        }
    }
    const int highest = *std::max_element(bins.begin(), bins.end());
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
        double sum = 0.0;
        int count = 0;
        for (const CElapsedTime& interval : *this) {
            if (interval.Hours() != 0) {
                continue;
            }
            const auto s = static_cast<long long>(interval.Minutes()) * 60 + interval.Seconds();
            if (s >= left * 10LL && s < right * 10LL) {
                sum += static_cast<double>(s);
                ++count;
            }
        }
        if (count > 0) {
            result.SetSeconds(static_cast<std::uint32_t>(sum / count));
        }
    }
    return result;
}

}  // namespace qx7
