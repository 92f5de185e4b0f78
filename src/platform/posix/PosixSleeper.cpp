#include "platform/posix/PosixSleeper.h"

#include <chrono>
#include <thread>

namespace qx7 {

void PosixSleeper::SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace qx7
