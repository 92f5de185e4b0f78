// core's file interface on Windows: UTF-8 paths become wide-character calls, streams are
// binary, positions 64-bit.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "core/base/FileSystem.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/WideText.h"

namespace qx7 {
namespace {

using win32::ErrnoFromWin32Error;
using win32::HandleOfStream;
using win32::StreamOfHandle;
using win32::UniqueLetters;
using win32::WideFromUtf8;

constexpr int kNameAttempts = 100;

void SetError(int* error, int value) {
    if (error != nullptr) {
        *error = value;
    }
}

// A handle that only asks about the file (no read or write access), so that a file another
// program holds open is still seen; folders need backup semantics to be opened at all.
HANDLE OpenForQuery(const std::string& path, bool followLink) {
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty()) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (!followLink) {
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    }
    return ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
}

PathKind KindOfHandle(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return PathKind::kOther;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return PathKind::kOther;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return PathKind::kSymbolicLink;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return PathKind::kFolder;
    }
    return PathKind::kRegularFile;
}

PathKind Look(const std::string& path, int* error, bool followLink) {
    const HANDLE handle = OpenForQuery(path, followLink);
    if (handle == INVALID_HANDLE_VALUE) {
        SetError(error, ErrnoFromWin32Error(::GetLastError()));
        return PathKind::kMissing;
    }
    const PathKind kind = KindOfHandle(handle);
    ::CloseHandle(handle);
    SetError(error, 0);
    return kind;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

PathKind LookAtPath(const std::string& path, int* error) {
    return Look(path, error, false);
}

PathKind LookThroughPath(const std::string& path, int* error) {
    return Look(path, error, true);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    const HANDLE handle = OpenForQuery(path, true);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const auto identity = IdentityOfHandle(handle);
    ::CloseHandle(handle);
    return identity;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    const std::wstring widePath = WideFromUtf8(path);
    const std::wstring wideMode = WideFromUtf8(mode);
    if (widePath.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return ::_wfopen(widePath.c_str(), wideMode.c_str());
}

std::FILE* OpenRegularFileForReading(const std::string& path, bool& notRegular) {
    notRegular = false;
    int error = 0;
    const PathKind kind = LookThroughPath(path, &error);
    if (kind == PathKind::kMissing) {
        errno = error;
        return nullptr;
    }
    if (kind != PathKind::kRegularFile) {
        notRegular = true;
        errno = kind == PathKind::kFolder ? EISDIR : EINVAL;
        return nullptr;
    }
    // Others may go on writing or even delete the log while it is read, as on Linux.
    const HANDLE handle = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ErrnoFromWin32Error(::GetLastError());
        return nullptr;
    }
    if (KindOfHandle(handle) != PathKind::kRegularFile) {
        ::CloseHandle(handle);
        notRegular = true;
        errno = EINVAL;
        return nullptr;
    }
    return StreamOfHandle(handle, _O_RDONLY, "rb");
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int origin) {
    return ::_fseeki64(stream, offset, origin) == 0;
}

std::int64_t TellStream(std::FILE* stream) {
    return ::_ftelli64(stream);
}

std::optional<std::uint64_t> StreamFileSize(std::FILE* stream) {
    LARGE_INTEGER size{};
    const HANDLE handle = HandleOfStream(stream);
    if (handle == INVALID_HANDLE_VALUE || !::GetFileSizeEx(handle, &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

int RemoveFile(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty()) {
        return ENOENT;
    }
    return ::DeleteFileW(wide.c_str()) ? 0 : ErrnoFromWin32Error(::GetLastError());
}

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH + 1) {
        return ".";
    }
    std::wstring folder(buffer, length);
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return win32::Utf8FromWide(folder);
}

std::FILE* CreateUnnamedTemporary(const std::string& folder) {
    const std::wstring base = WideFromUtf8(folder);
    if (base.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    const bool separated = base.back() == L'\\' || base.back() == L'/';
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring name = base + (separated ? L"" : L"\\") + L"qx7log-" +
                                  WideFromUtf8(UniqueLetters(attempt)) + L".tmp";
        // No sharing: no other process can open it; gone when the last handle closes, also
        // when the process is ended.
        const HANDLE handle = ::CreateFileW(
            name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return StreamOfHandle(handle, _O_RDWR, "w+b");
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            errno = ErrnoFromWin32Error(error);
            return nullptr;
        }
    }
    errno = EEXIST;
    return nullptr;
}

std::FILE* OpenMemoryStream(std::shared_ptr<const std::vector<unsigned char>> bytes) {
    if (bytes == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    // The C library has no memory streams: a private copy in an unnamed temporary file serves.
    return CopyIntoUnnamedTemporary(*bytes);
}

bool PositionalReader::Open(std::FILE* stream) {
    Close();
    std::fflush(stream);
    const HANDLE source = HandleOfStream(stream);
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (source == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), source, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(copy);
    return true;
}

std::int64_t PositionalReader::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const {
    if (handle_ == kNone) {
        return -1;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFULL);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = size > 0x40000000U ? 0x40000000U : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, wanted, &got, &at)) {
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<std::int64_t>(got);
}

void PositionalReader::Close() {
    memory_.reset();  // never set here: memory streams are temporary files on Windows
    if (handle_ != kNone) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = kNone;
    }
}

}  // namespace qx7
