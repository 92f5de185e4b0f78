#pragma once
// Opening a saved log for reading. Shared by the log reader, the record list and the statistics
// loader, so that every viewer refuses the same files in the same way.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

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

// Where a reader takes a log from: a file named by its path, or bytes in memory (a test's or a
// fuzzer's input, read without a file in between). Copies share the bytes.
class LogSource {
  public:
    static LogSource File(std::string path);
    // A copy of the bytes; `name` stands for a path in what names the log.
    static LogSource Memory(std::span<const unsigned char> bytes, std::string name = {});

    // The path, or the name given to the bytes.
    const std::string& Name() const { return name_; }
    bool InMemory() const { return bytes_ != nullptr; }
    // A new stream from the start, as OpenLogFile answers: the file's checks and answers, or
    // for bytes a memory stream (-1 with errno when the system gives none).
    std::FILE* Open(int& answer) const;

  private:
    std::string name_;
    std::shared_ptr<const std::vector<unsigned char>> bytes_;
};

}  // namespace qx7
