#pragma once
// Named temporary files that must not outlive the program, even when a signal (or, on
// Windows, a console close or Ctrl+C) ends it. They are kept in a fixed table that a handler
// can walk without allocating or locking.

#ifndef _WIN32
#include <csignal>
#endif
#include <string>

namespace qx7 {

inline constexpr int kTemporarySlots = 64;
inline constexpr int kTemporaryNameBytes = 64;  // with the terminating zero

// Releases the slot (-1 is ignored); the file itself is left as it is.
void UnregisterTemporary(int slot);
// Removes every registered file. Async-signal-safe.
void RemoveRegisteredTemporaries() noexcept;

// From now on each end signal (Ctrl+C, Ctrl+Break, closing the console, logging off or
// shutting down on Windows) removes the registered temporaries and then ends the program as it
// does by default, so that the exit status still shows the signal. A signal that is ignored
// stays ignored. For programs: a library never installs it by itself.
void RemoveTemporariesOnEndSignals();

#ifndef _WIN32
// Claims a slot for the file `name` (no folder part) in the open folder `folderFd`, which must
// stay open until the slot is released. The slot number, or -1 when the table is full or the
// name too long. Call with the end signals blocked (EndSignalsBlocked) when the file is made
// after registering, so that a signal cannot remove a file of that name that is not ours.
int RegisterTemporary(int folderFd, const char* name);

// The signals that end a command and after which its temporaries are removed.
inline constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

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
#else
// Claims a slot for the file at the full UTF-8 `path`. The slot number, or -1 when the table is
// full or the path too long. The console handler runs on a thread of its own; register before
// the file is created, so that it is never left behind.
int RegisterTemporaryPath(const std::string& path);
#endif

}  // namespace qx7
