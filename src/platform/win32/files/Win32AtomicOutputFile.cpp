// An output file that appears only when complete, on Windows: the bytes go to a hidden file in
// the target's folder, registered for removal when the console ends the program, which takes
// the target's name in one step (MoveFileExW) on Commit.

#include <fcntl.h>
#include <windows.h>

#include <cerrno>

#include "core/base/AtomicOutputFile.h"
#include "core/base/FileSystem.h"
#include "core/base/PathText.h"
#include "core/base/SignalCleanup.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/WideText.h"

namespace qx7 {
namespace {

using win32::ErrnoFromWin32Error;
using win32::WideFromUtf8;

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kNameAttempts = 100;

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
    const std::size_t separator = LastPathSeparator(path);
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
        const std::string temporary = folder_ + ".qx7-" + win32::UniqueLetters(attempt);
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
    stream_ = win32::StreamOfHandle(handle, _O_WRONLY, "wb");
    if (stream_ == nullptr) {
        return Fail(errno);
    }
    std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
    path_ = path;
    return 0;
}

// Windows has no early write-back helper: none is ever made.
void WritebackWorkerEnd::operator()(WritebackWorker* /*worker*/) const {}

bool AtomicOutputFile::Commit() {
    if (!FlushForCommit()) {
        return false;
    }
    const HANDLE handle = win32::HandleOfStream(stream_);
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
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (existing_ == ExistingTarget::kReplace) {
        if (const int refusal = Refusal(path_, existing_); refusal != 0) {
            Fail(refusal);
            return false;
        }
        // A link is replaced itself, never the file it leads to.
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that appeared meanwhile.
    const std::wstring from = WideFromUtf8(temporaryName_);
    ::SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::MoveFileExW(from.c_str(), WideFromUtf8(path_).c_str(), flags)) {
        Fail(ErrnoFromWin32Error(::GetLastError()));
        return false;
    }
    temporaryName_.clear();
    DropTemporary();
    return true;
}

// Publishing takes the replacing move from existing_; nothing else replaces on Windows.
bool AtomicOutputFile::ReplaceTarget() {
    return PublishNamed();
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
