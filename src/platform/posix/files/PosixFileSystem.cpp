// core's file interface on Linux and other POSIX systems.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "core/base/FileSystem.h"

namespace qx7 {
namespace {

PathKind KindOf(const struct stat& info) {
    if (S_ISREG(info.st_mode)) {
        return PathKind::kRegularFile;
    }
    if (S_ISDIR(info.st_mode)) {
        return PathKind::kFolder;
    }
    if (S_ISLNK(info.st_mode)) {
        return PathKind::kSymbolicLink;
    }
    return PathKind::kOther;
}

PathKind Look(const std::string& path, int* error, bool follow) {
    struct stat info {};
    const int result = follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result != 0) {
        if (error != nullptr) {
            *error = errno;
        }
        return PathKind::kMissing;
    }
    if (error != nullptr) {
        *error = 0;
    }
    return KindOf(info);
}

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::FILE* OpenStream(int fd, const char* mode) {
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

#ifdef __GLIBC__
// A memory stream is a stream of the C library's own over a cookie; the registry tells the
// functions below which streams are memory ones and what their bytes are. A stream leaves it as
// it is closed, before its address can be given to another stream.
struct MemoryCookie {
    std::shared_ptr<const std::vector<unsigned char>> bytes;
    std::uint64_t position = 0;
    std::FILE* stream = nullptr;
};

std::mutex& MemoryStreamsLock() {
    static auto* lock = new std::mutex;  // never destroyed: streams may close at exit
    return *lock;
}

std::unordered_map<const std::FILE*, const MemoryCookie*>& MemoryStreams() {
    static auto* streams = new std::unordered_map<const std::FILE*, const MemoryCookie*>;
    return *streams;
}

ssize_t ReadMemory(void* cookie, char* buffer, size_t size) {
    auto& memory = *static_cast<MemoryCookie*>(cookie);
    const std::vector<unsigned char>& bytes = *memory.bytes;
    if (memory.position >= bytes.size()) {
        return 0;
    }
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(
        std::min<std::size_t>(size, SSIZE_MAX), bytes.size() - memory.position));
    std::memcpy(buffer, bytes.data() + memory.position, count);
    memory.position += count;
    return static_cast<ssize_t>(count);
}

// As on a file: any position from 0 on, also past the end, where reading finds the end.
int SeekMemory(void* cookie, off64_t* offset, int origin) {
    auto& memory = *static_cast<MemoryCookie*>(cookie);
    std::int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = static_cast<std::int64_t>(memory.position);
    } else if (origin == SEEK_END) {
        base = static_cast<std::int64_t>(memory.bytes->size());
    } else if (origin != SEEK_SET) {
        errno = EINVAL;
        return -1;
    }
    const std::int64_t step = *offset;
    if (step > 0 && base > INT64_MAX - step) {
        errno = EOVERFLOW;
        return -1;
    }
    if (base + step < 0) {
        errno = EINVAL;
        return -1;
    }
    memory.position = static_cast<std::uint64_t>(base + step);
    *offset = static_cast<off64_t>(memory.position);
    return 0;
}

int CloseMemory(void* cookie) {
    auto* memory = static_cast<MemoryCookie*>(cookie);
    {
        const std::lock_guard<std::mutex> guard(MemoryStreamsLock());
        MemoryStreams().erase(memory->stream);
    }
    delete memory;
    return 0;
}
#endif

// The bytes of a memory stream; nullptr for any other stream.
std::shared_ptr<const std::vector<unsigned char>> MemoryOf(std::FILE* stream) {
#ifdef __GLIBC__
    const std::lock_guard<std::mutex> guard(MemoryStreamsLock());
    const auto found = MemoryStreams().find(stream);
    if (found != MemoryStreams().end()) {
        return found->second->bytes;
    }
#else
    (void)stream;
#endif
    return nullptr;
}

}  // namespace

PathKind LookAtPath(const std::string& path, int* error) {
    return Look(path, error, false);
}

PathKind LookThroughPath(const std::string& path, int* error) {
    return Look(path, error, true);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* OpenRegularFileForReading(const std::string& path, bool& notRegular) {
    // Looking first keeps a device from being opened at all; looking again at what was opened
    // covers a path that changed in between.
    notRegular = false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        notRegular = true;
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        notRegular = !S_ISREG(info.st_mode);
        ::close(fd);
        errno = notRegular ? EINVAL : error;
        return nullptr;
    }
    return OpenStream(fd, "rb");
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int origin) {
    return ::fseeko(stream, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellStream(std::FILE* stream) {
    return static_cast<std::int64_t>(::ftello(stream));
}

std::optional<std::uint64_t> StreamFileSize(std::FILE* stream) {
    if (stream == nullptr) {
        return std::nullopt;
    }
    if (const auto memory = MemoryOf(stream)) {
        return memory->size();
    }
    struct stat info {};
    if (::fstat(::fileno(stream), &info) != 0 || info.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

int RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? std::string(folder) : std::string("/tmp");
}

std::FILE* CreateAndUnlinkTemporary(const std::string& folder) {
    std::string name = folder + "/qx7log-XXXXXX";
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
            opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
            ::unlink(name.c_str());
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return fd < 0 ? nullptr : OpenStream(fd, "w+b");
}

std::FILE* CreateUnnamedTemporary(const std::string& folder) {
#ifdef O_TMPFILE
    // O_EXCL: the file can never be given a name later.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        return OpenStream(fd, "w+b");
    }
#endif
    return CreateAndUnlinkTemporary(folder);
}

std::FILE* OpenMemoryStream(std::shared_ptr<const std::vector<unsigned char>> bytes) {
    if (bytes == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
#ifdef __GLIBC__
    auto* cookie = new MemoryCookie{std::move(bytes), 0, nullptr};
    const std::lock_guard<std::mutex> guard(MemoryStreamsLock());
    std::FILE* stream = ::fopencookie(
        cookie, "rb", cookie_io_functions_t{ReadMemory, nullptr, SeekMemory, CloseMemory});
    if (stream == nullptr) {
        delete cookie;
        return nullptr;
    }
    cookie->stream = stream;
    MemoryStreams().emplace(stream, cookie);
    return stream;
#else
    // No memory streams here: a private copy in an unnamed temporary file serves.
    return CopyIntoUnnamedTemporary(*bytes);
#endif
}

bool PositionalReader::Open(std::FILE* stream) {
    Close();
    if (auto memory = MemoryOf(stream)) {
        memory_ = std::move(memory);
        return true;
    }
    // Bytes the stream still holds for writing must reach the file before it is read.
    std::fflush(stream);
    const int descriptor = ::fcntl(::fileno(stream), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    handle_ = descriptor;
    return true;
}

std::int64_t PositionalReader::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const {
    if (memory_ != nullptr) {
        if (offset >= memory_->size()) {
            return 0;
        }
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, memory_->size() - offset));
        std::memcpy(buffer, memory_->data() + offset, count);
        return static_cast<std::int64_t>(count);
    }
    if (handle_ == kNone) {
        return -1;
    }
    for (;;) {
        const ssize_t got =
            ::pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 ? -1 : static_cast<std::int64_t>(got);
    }
}

void PositionalReader::Close() {
    memory_.reset();
    if (handle_ != kNone) {
        ::close(static_cast<int>(handle_));
        handle_ = kNone;
    }
}

}  // namespace qx7
