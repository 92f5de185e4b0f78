#pragma once
// Opening a saved log for reading. Shared by the log reader, the record list and the statistics
// loader, so that every viewer refuses the same files in the same way.

#include <cstdint>
#include <cstdio>
#include <string>

namespace qx7 {

// The answer for a path that names no regular file: a folder, a FIFO, a device or a socket. A
// FIFO would block the opening until a writer comes, and a device may never end.
inline constexpr int kLogNotRegularFile = -10;
// The answer for a compressed log whose data inflates past kMaxInflatedBytes (LogDecompress.h).
inline constexpr int kLogInflatesTooLarge = -11;
// The answer for a container that ends inside its fixed header: it exists but is damaged.
inline constexpr int kLogHeaderCut = -12;

// Opens a regular file with mode "rb". nullptr with `answer` -1 when it cannot be opened (errno
// tells why) or kLogNotRegularFile; `answer` 0 with the stream otherwise. The file is checked
// before and after opening, and the opening itself never waits.
std::FILE* OpenLogFile(const std::string& path, int& answer);

}  // namespace qx7
