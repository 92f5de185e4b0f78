#pragma once
// The durations between the ends of consecutive prints of one job, and the typical one.

#include <vector>

#include "core/log/ElapsedTime.h"

namespace qx7 {

class CWorkTime : public std::vector<CElapsedTime> {
public:
    // The mean of the densest cluster of intervals under an hour (10-second bins, each interval
    // spread over six of them); zero when no interval is under an hour.
    CElapsedTime TypicalInterval() const;
};

}  // namespace qx7
