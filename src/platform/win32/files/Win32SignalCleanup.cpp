// Temporaries removed when the console ends the program: Ctrl+C, Ctrl+Break, closing the
// console window, logging off, shutting down.

#include <windows.h>

#include <atomic>
#include <cstring>

#include "core/base/SignalCleanup.h"
#include "platform/win32/WideText.h"

namespace qx7 {
namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

// Full paths: a console handler runs on a thread of its own while the current folder may be
// anything.
constexpr std::size_t kWidePathChars = 1024;

struct Slot {
    std::atomic<int> state{kFree};
    wchar_t path[kWidePathChars] = {};
};

static_assert(std::atomic<int>::is_always_lock_free, "the console handler reads the slots");

Slot gSlots[kTemporarySlots];

BOOL WINAPI OnConsoleEnd(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            RemoveRegisteredTemporaries();
            break;
        default:
            break;
    }
    // Not handled: the next handler (in the end the system's) ends the program as usual.
    return FALSE;
}

}  // namespace

int RegisterTemporaryPath(const std::string& path) {
    const std::wstring wide = win32::WideFromUtf8(path);
    if (wide.empty() || wide.size() >= kWidePathChars) {
        return -1;
    }
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = kFree;
        if (gSlots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(gSlots[i].path, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
            gSlots[i].state.store(kLive, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void UnregisterTemporary(int slot) {
    if (slot >= 0 && slot < kTemporarySlots) {
        gSlots[slot].state.store(kFree, std::memory_order_release);
    }
}

void RemoveRegisteredTemporaries() noexcept {
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == kLive) {
            // The writer opened it with delete sharing: it goes as soon as its handle closes,
            // which ending the process does.
            ::DeleteFileW(slot.path);
        }
    }
}

void RemoveTemporariesOnEndSignals() {
    ::SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
}

}  // namespace qx7
