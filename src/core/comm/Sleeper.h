#pragma once
// Waiting, behind an interface so that the reply polling can be tested without real time.

namespace qx7 {

class ISleeper {
  public:
    virtual ~ISleeper() = default;
    virtual void SleepMilliseconds(int milliseconds) = 0;
};

}  // namespace qx7
