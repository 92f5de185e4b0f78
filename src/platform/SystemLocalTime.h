#pragma once
// The running system's local time, whichever platform the program is built for.

#ifdef _WIN32
#include "platform/win32/Win32LocalTime.h"
namespace qx7 {
using SystemLocalTime = Win32LocalTime;
}
#else
#include "platform/posix/PosixLocalTime.h"
namespace qx7 {
using SystemLocalTime = PosixLocalTime;
}
#endif
