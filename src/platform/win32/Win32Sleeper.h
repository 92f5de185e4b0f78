#pragma once

#include "core/comm/Sleeper.h"

namespace qx7 {

// Real waiting, for the programs on Windows.
class Win32Sleeper final : public ISleeper {
  public:
    void SleepMilliseconds(int milliseconds) override;
};

}  // namespace qx7
