#include "platform/win32/NamedMutex.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace qx7 {

NamedMutex::NamedMutex(const std::string& name) {
    std::wstring wide;
    if (!win32::StrictWideFromUtf8(name, wide) || wide.empty()) {
        return;
    }
    HANDLE handle = CreateMutexW(nullptr, TRUE, wide.c_str());
    if (handle == nullptr) {
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Not ours: let go at once, so the mutex dies with its owner and not with us.
        alreadyRunning_ = true;
        CloseHandle(handle);
        return;
    }
    handle_ = handle;
}

NamedMutex::~NamedMutex() {
    if (handle_ != nullptr) {
        ReleaseMutex(static_cast<HANDLE>(handle_));
        CloseHandle(static_cast<HANDLE>(handle_));
    }
}

}  // namespace qx7
