#pragma once
// The few file operations core needs from the operating system, with one implementation per
// platform (src/platform/<name>/files). Paths are UTF-8 everywhere in core; on Windows they
// become wide-character calls, so Japanese names work whatever the code page. Streams are
// always binary and offsets always 64-bit.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx7 {

// What a path names. Looking at a path does not follow a final symbolic link; looking through
// it does.
enum class PathKind {
    kMissing,  // nothing there, or it cannot be looked at (the error tells)
    kRegularFile,
    kFolder,
    kSymbolicLink,
    kOther,  // a device, pipe or socket
};
PathKind LookAtPath(const std::string& path, int* error = nullptr);
PathKind LookThroughPath(const std::string& path, int* error = nullptr);

// Which file a path or an open stream is: equal identities are the same file, whatever
// names lead to it.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// Both names lead to one existing file.
bool SameFile(const std::string& first, const std::string& second);

// fopen with a UTF-8 path; the mode must say "b".
std::FILE* OpenFile(const std::string& path, const char* mode);

// Opens a regular file for reading ("rb") without ever waiting on it (a FIFO would block the
// opening until a writer comes) and checks what was opened. nullptr with errno set when it
// cannot be opened; then `notRegular` tells that the path names no regular file.
std::FILE* OpenRegularFileForReading(const std::string& path, bool& notRegular);

// 64-bit positions of a stream (on Windows `long` and `off_t` are 32 bits).
bool SeekStream(std::FILE* stream, std::int64_t offset, int origin);
std::int64_t TellStream(std::FILE* stream);
// The size of the stream's file; nullopt when the system does not tell.
std::optional<std::uint64_t> StreamFileSize(std::FILE* stream);

// Removes a file (not a folder); 0 or the errno of the failure.
int RemoveFile(const std::string& path);

// The system's temporary folder: $TMPDIR (else /tmp) on Linux, GetTempPath on Windows.
std::string TemporaryFolder();

// A new file for reading and writing in `folder` that only this process can use and that is
// gone when it is closed or the process ends, however it ends: unnamed where the system allows
// it, else deleted on close. nullptr on failure.
std::FILE* CreateUnnamedTemporary(const std::string& folder);

// A read-only binary stream over bytes in memory, so that a reader can be fed without a file
// (tests, fuzzing). The stream shares the bytes, and so does a PositionalReader opened on it;
// StreamFileSize tells their count. Where the system has no memory streams (Windows) it is an
// unnamed temporary file holding a copy. nullptr with errno set on failure.
std::FILE* OpenMemoryStream(std::shared_ptr<const std::vector<unsigned char>> bytes);
// The way OpenMemoryStream takes where there are no memory streams: the bytes copied into an
// unnamed temporary file, positioned at its start.
std::FILE* CopyIntoUnnamedTemporary(const std::vector<unsigned char>& bytes);

#ifndef _WIN32
// The way for file systems without unnamed files: created exclusively under a unique name and
// unlinked at once, with the catchable signals held back in between so that only SIGKILL in
// that moment could leave the name. A name that no longer leads to our file is left alone.
std::FILE* CreateAndUnlinkTemporary(const std::string& folder);
#endif

// A handle of its own on a stream's file for reads at given offsets, so that several walks
// over one file never disturb each other or the stream. The stream may be closed afterwards.
class PositionalReader {
  public:
    PositionalReader() = default;
    ~PositionalReader();
    PositionalReader(PositionalReader&& other) noexcept;
    PositionalReader& operator=(PositionalReader&& other) noexcept;
    PositionalReader(const PositionalReader&) = delete;
    PositionalReader& operator=(const PositionalReader&) = delete;

    // false when the system gives no second handle. On a memory stream it reads the bytes
    // themselves.
    bool Open(std::FILE* stream);
    bool IsOpen() const { return handle_ != kNone || memory_ != nullptr; }
    // Bytes read (0 at the end), or -1 on a read error.
    std::int64_t ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const;
    void Close();

  private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;
    std::shared_ptr<const std::vector<unsigned char>> memory_;
};

}  // namespace qx7
