#include "platform/win32/Win32Sleeper.h"

#include <windows.h>

namespace qx7 {

void Win32Sleeper::SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) {
        ::Sleep(static_cast<DWORD>(milliseconds));
    }
}

}  // namespace qx7
