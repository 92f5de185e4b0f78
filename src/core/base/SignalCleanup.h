#pragma once
// Named temporary files that must not outlive the program, even when a signal ends it. They are
// kept in a fixed table that a signal handler can walk without allocating or locking.

#include <csignal>

namespace qx7 {

inline constexpr int kTemporarySlots = 64;
inline constexpr int kTemporaryNameBytes = 64;  // with the terminating zero

// Claims a slot for the file `name` (no folder part) in the open folder `folderFd`, which must
// stay open until the slot is released. The slot number, or -1 when the table is full or the
// name too long. Call with the end signals blocked (EndSignalsBlocked) when the file is made
// after registering, so that a signal cannot remove a file of that name that is not ours.
int RegisterTemporary(int folderFd, const char* name);
// Releases the slot (-1 is ignored); the file itself is left as it is.
void UnregisterTemporary(int slot);
// Unlinks every registered file. Async-signal-safe.
void RemoveRegisteredTemporaries() noexcept;

// The signals that end a command and after which its temporaries are removed.
inline constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

// From now on each end signal removes the registered temporaries and then ends the program as
// it does by default, so that the exit status still shows the signal. A signal that is ignored
// stays ignored. For programs: a library never installs it by itself.
void RemoveTemporariesOnEndSignals();

// Holds the end signals back in this thread for its lifetime, so that a file and its
// registration come and go together.
class EndSignalsBlocked {
  public:
    EndSignalsBlocked();
    ~EndSignalsBlocked();
    EndSignalsBlocked(const EndSignalsBlocked&) = delete;
    EndSignalsBlocked& operator=(const EndSignalsBlocked&) = delete;

  private:
    sigset_t previous_{};
};

}  // namespace qx7
