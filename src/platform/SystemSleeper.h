#pragma once
// Real waiting on the running system.

#ifdef _WIN32
#include "platform/win32/Win32Sleeper.h"
namespace qx7 {
using SystemSleeper = Win32Sleeper;
}
#else
#include "platform/posix/PosixSleeper.h"
namespace qx7 {
using SystemSleeper = PosixSleeper;
}
#endif
