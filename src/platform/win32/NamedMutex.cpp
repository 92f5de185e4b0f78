#include "platform/win32/NamedMutex.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace qx7 {
namespace {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), size);
    return wide;
}

}  // namespace

NamedMutex::NamedMutex(const std::string& name) {
    const std::wstring wide = WideFromUtf8(name);
    if (wide.empty()) {
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
