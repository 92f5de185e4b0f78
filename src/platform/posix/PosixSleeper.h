#pragma once

#include "core/comm/Sleeper.h"

namespace qx7 {

// Real waiting, for the programs.
class PosixSleeper final : public ISleeper {
  public:
    void SleepMilliseconds(int milliseconds) override;
};

}  // namespace qx7
