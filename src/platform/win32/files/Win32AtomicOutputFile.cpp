// An output file that appears only when complete, on Windows: the bytes go to a hidden file in
// the target's folder, registered for removal when the console ends the program, which takes
// the target's name in one step (MoveFileExW) on Commit.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>

#include "core/base/AtomicOutputFile.h"
#include "core/base/FileSystem.h"
#include "core/base/SignalCleanup.h"
#include "platform/win32/WideText.h"

namespace qx7 {
namespace {

using win32::ErrnoFromWin32Error;
using win32::WideFromUtf8;

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kNameAttempts = 100;

// ".qx7-" and twelve letters or digits: short, so that any valid target name works.
std::string HiddenName(int attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned long long> counter{0};
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    unsigned long long bits = static_cast<unsigned long long>(ticks.QuadPart) ^
                              (static_cast<unsigned long long>(::GetCurrentProcessId()) << 40) ^
                              counter.fetch_add(0x9E3779B97F4A7C15ULL) ^
                              static_cast<unsigned long long>(attempt);
    std::string name = ".qx7-";
    for (int i = 0; i < 12; ++i) {
        name += kLetters[bits % 36];
        bits /= 36;
        bits ^= static_cast<unsigned long long>(i + 1) * 0x2545F4914F6CDD1DULL;
    }
    return name;
}

// Why an existing target stops the output; 0 when it may be replaced (or is not there).
int Refusal(const std::string& path, ExistingTarget existing) {
    int error = 0;
    const PathKind kind = LookAtPath(path, &error);
    if (kind == PathKind::kMissing) {
        return error == ENOENT ? 0 : error;
    }
    if (kind == PathKind::kFolder) {
        return EISDIR;
    }
    if (existing == ExistingTarget::kKeep) {
        return EEXIST;
    }
    return kind == PathKind::kRegularFile || kind == PathKind::kSymbolicLink ? 0 : EPERM;
}

}  // namespace

int AtomicOutputFile::Open(const std::string& path, ExistingTarget existing) {
    Abandon();
    error_ = 0;
    existing_ = existing;
    const std::size_t separator = path.find_last_of("/\\");
    folder_ = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    name_ = separator == std::string::npos ? path : path.substr(separator + 1);
    if (name_.empty() || name_ == "." || name_ == "..") {
        return Fail(path.empty() ? ENOENT : EISDIR);
    }
    int folderError = 0;
    const PathKind folderKind = LookThroughPath(folder_.empty() ? "." : folder_, &folderError);
    if (folderKind != PathKind::kFolder) {
        return Fail(folderKind == PathKind::kMissing ? folderError : ENOTDIR);
    }
    if (const int refusal = Refusal(path, existing); refusal != 0) {
        return Fail(refusal);
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string temporary = folder_ + HiddenName(attempt);
        // Registered first: a console end between creating and registering must not leave it.
        const int slot = RegisterTemporaryPath(temporary);
        if (slot < 0) {
            return Fail(EMFILE);
        }
        // Delete sharing lets the console handler remove it while it is still open.
        handle = ::CreateFileW(WideFromUtf8(temporary).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            temporaryName_ = temporary;
            slot_ = slot;
            break;
        }
        const DWORD error = ::GetLastError();
        UnregisterTemporary(slot);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return Fail(ErrnoFromWin32Error(error));
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return Fail(EEXIST);
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return Fail(EMFILE);
    }
    stream_ = ::_fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        ::_close(fd);
        return Fail(error);
    }
    std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
    path_ = path;
    return 0;
}

bool AtomicOutputFile::Commit() {
    if (stream_ == nullptr) {
        if (error_ == 0) {
            error_ = EBADF;
        }
        return false;
    }
    if (std::ferror(stream_) != 0) {
        Fail(EIO);
        return false;
    }
    errno = 0;
    if (std::fflush(stream_) != 0) {
        Fail(errno);
        return false;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream_)));
    if (!::FlushFileBuffers(handle)) {
        Fail(ErrnoFromWin32Error(::GetLastError()));
        return false;
    }
    const bool closed = std::fclose(stream_) == 0;
    const int closeError = errno;
    stream_ = nullptr;
    if (!closed) {
        Fail(closeError);
        return false;
    }
    return PublishNamed();
}

bool AtomicOutputFile::PublishUnnamed(int) {
    return PublishNamed();  // Windows has no unnamed files
}

bool AtomicOutputFile::PublishNamed() {
    if (existing_ == ExistingTarget::kReplace) {
        return ReplaceTarget();
    }
    const std::wstring from = WideFromUtf8(temporaryName_);
    ::SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that appeared meanwhile.
    if (!::MoveFileExW(from.c_str(), WideFromUtf8(path_).c_str(), MOVEFILE_WRITE_THROUGH)) {
        Fail(ErrnoFromWin32Error(::GetLastError()));
        return false;
    }
    temporaryName_.clear();
    DropTemporary();
    return true;
}

bool AtomicOutputFile::ReplaceTarget() {
    if (const int refusal = Refusal(path_, existing_); refusal != 0) {
        Fail(refusal);
        return false;
    }
    const std::wstring from = WideFromUtf8(temporaryName_);
    ::SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A link is replaced itself, never the file it leads to.
    if (!::MoveFileExW(from.c_str(), WideFromUtf8(path_).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(ErrnoFromWin32Error(::GetLastError()));
        return false;
    }
    temporaryName_.clear();
    DropTemporary();
    return true;
}

void AtomicOutputFile::DropTemporary() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporaryName_.empty()) {
        RemoveFile(temporaryName_);
        temporaryName_.clear();
    }
    UnregisterTemporary(slot_);
    slot_ = -1;
    unnamed_ = false;
}

void AtomicOutputFile::UseNamedTemporaries(bool) {
    // Every temporary on Windows is a named one.
}

}  // namespace qx7
