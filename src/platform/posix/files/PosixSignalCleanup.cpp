#include "core/base/SignalCleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace qx7 {
namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    int folderFd = -1;
    char name[kTemporaryNameBytes] = {};
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

Slot gSlots[kTemporarySlots];

extern "C" void OnEndSignal(int signal) {
    RemoveRegisteredTemporaries();
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    // Pending while the handler runs; delivered, with its default action, when it returns.
    ::raise(signal);
}

}  // namespace

int RegisterTemporary(int folderFd, const char* name) {
    const std::size_t length = std::strlen(name);
    if (length == 0 || length >= static_cast<std::size_t>(kTemporaryNameBytes)) {
        return -1;
    }
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = kFree;
        if (gSlots[i].state.compare_exchange_strong(expected, kFilling)) {
            gSlots[i].folderFd = folderFd;
            std::memcpy(gSlots[i].name, name, length + 1);
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
            ::unlinkat(slot.folderFd, slot.name, 0);
        }
    }
}

void RemoveTemporariesOnEndSignals() {
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndSignals) {
        sigaddset(&action.sa_mask, signal);  // one cleanup, not one nested in another
    }
    for (const int signal : kEndSignals) {
        // A signal the program was started to ignore (a background job's SIGINT) stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(signal, &action, nullptr);
    }
}

EndSignalsBlocked::EndSignalsBlocked() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : kEndSignals) {
        sigaddset(&blocked, signal);
    }
    pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
}

EndSignalsBlocked::~EndSignalsBlocked() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace qx7
