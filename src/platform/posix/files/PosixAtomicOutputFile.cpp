#include "core/base/AtomicOutputFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "core/base/SignalCleanup.h"
#include "platform/posix/files/WritebackWorker.h"

namespace qx7 {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kNameAttempts = 100;

std::atomic<bool> gNamedOnly{false};

mode_t ProcessUmask() {
    // Read once: umask can only be read by setting it, which is not safe while other threads
    // create files.
    static const mode_t mask = [] {
        const mode_t value = ::umask(0);
        ::umask(value);
        return value;
    }();
    return mask;
}

// ".qx7-" and twelve random letters or digits: short, so that any valid target name works.
std::string HiddenName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<unsigned long long> counter{0};
    unsigned long long bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        bits = static_cast<unsigned long long>(
                   std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<unsigned long long>(::getpid()) << 32);
    }
    bits ^= counter.fetch_add(0x9E3779B97F4A7C15ULL);
    std::string name = ".qx7-";
    for (int i = 0; i < 12; ++i) {
        name += kLetters[bits % 62];
        bits /= 62;
        bits ^= static_cast<unsigned long long>(i) * 0x2545F4914F6CDD1DULL;
    }
    return name;
}

// Why an existing target stops the output; 0 when it may be replaced.
int Refusal(const struct stat& target, ExistingTarget existing) {
    if (S_ISDIR(target.st_mode)) {
        return EISDIR;
    }
    if (existing == ExistingTarget::kKeep) {
        return EEXIST;
    }
    return S_ISREG(target.st_mode) || S_ISLNK(target.st_mode) ? 0 : EPERM;
}

std::string ProcPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// An unnamed file is published through /proc; without /proc it cannot be, so it is not used.
bool CanLinkThroughProc(int fd) {
    struct stat own {};
    struct stat seen {};
    return ::fstat(fd, &own) == 0 && ::stat(ProcPath(fd).c_str(), &seen) == 0 &&
           own.st_dev == seen.st_dev && own.st_ino == seen.st_ino;
}

}  // namespace

void WritebackWorkerEnd::operator()(WritebackWorker* worker) const {
    delete worker;
}

int AtomicOutputFile::Open(const std::string& path, ExistingTarget existing) {
    Abandon();
    error_ = 0;
    existing_ = existing;
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name_.empty() || name_ == "." || name_ == "..") {
        return Fail(path.empty() ? ENOENT : EISDIR);
    }
    folderFd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) {
        return Fail(errno);
    }
    struct stat target {};
    if (::fstatat(folderFd_, name_.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const int refusal = Refusal(target, existing); refusal != 0) {
            return Fail(refusal);
        }
    } else if (errno != ENOENT) {
        return Fail(errno);  // a name too long, a folder not searchable ...
    }

    int fd = gNamedOnly ? -1 : ::openat(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0 && !CanLinkThroughProc(fd)) {
        ::close(fd);
        fd = -1;
    }
    unnamed_ = fd >= 0;
    // A file system without unnamed files: a hidden one, removed by the end signals' handler.
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        const std::string name = HiddenName();
        const EndSignalsBlocked blocked;
        const int slot = RegisterTemporary(folderFd_, name.c_str());
        if (slot < 0) {
            return Fail(EMFILE);
        }
        fd = ::openat(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (fd >= 0) {
            temporaryName_ = name;
            slot_ = slot;
            break;
        }
        const int error = errno;
        UnregisterTemporary(slot);
        if (error != EEXIST) {
            return Fail(error);
        }
    }
    if (fd < 0) {
        return Fail(EEXIST);
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        ::close(fd);
        return Fail(error);
    }
    std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
    writeback_.reset(new WritebackWorker(fd));
    path_ = path;
    return 0;
}

bool AtomicOutputFile::Commit() {
    if (!FlushForCommit()) {
        return false;
    }
    const int fd = ::fileno(stream_);
    // A write-back that failed early fails the output, even if this last sync does not see it.
    const int writebackError = writeback_ != nullptr ? writeback_->Stop() : 0;
    writeback_.reset();
    if (writebackError != 0) {
        Fail(writebackError);
        return false;
    }
    if (::fsync(fd) != 0) {
        Fail(errno);
        return false;
    }

    // The new file takes over the permissions (and owner, where allowed) of the file it
    // replaces; special bits are not carried over to data. A new file gets the usual mode.
    mode_t mode = static_cast<mode_t>(0666U & ~static_cast<unsigned>(ProcessUmask()));
    struct stat target {};
    if (::fstatat(folderFd_, name_.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const int refusal = Refusal(target, existing_); refusal != 0) {
            Fail(refusal);
            return false;
        }
        if (S_ISREG(target.st_mode)) {
            if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
                static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), target.st_gid));
            }
            mode = target.st_mode & 0777;
        }
    }
    if (::fchmod(fd, mode) != 0) {
        Fail(errno);
        return false;
    }

    // An unnamed file is linked through a descriptor of its own once the stream is closed.
    const int kept = unnamed_ ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (unnamed_ && kept < 0) {
        Fail(errno);
        return false;
    }
    const bool closed = std::fclose(stream_) == 0;
    const int closeError = errno;
    stream_ = nullptr;
    bool published = false;
    if (!closed) {
        Fail(closeError);
    } else {
        published = unnamed_ ? PublishUnnamed(kept) : PublishNamed();
    }
    if (kept >= 0) {
        ::close(kept);
    }
    if (published) {
        DropTemporary();
    }
    return published;
}

bool AtomicOutputFile::PublishUnnamed(int fd) {
    const std::string proc = ProcPath(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), folderFd_, name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    if (errno != EEXIST || existing_ == ExistingTarget::kKeep) {
        Fail(errno);
        return false;
    }
    // linkat never replaces: the file gets a hidden name first, which then replaces the target.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = HiddenName();
        const EndSignalsBlocked blocked;
        const int slot = RegisterTemporary(folderFd_, name.c_str());
        if (slot < 0) {
            Fail(EMFILE);
            return false;
        }
        if (::linkat(AT_FDCWD, proc.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName_ = name;
            slot_ = slot;
            return ReplaceTarget();
        }
        const int error = errno;
        UnregisterTemporary(slot);
        if (error != EEXIST) {
            Fail(error);
            return false;
        }
    }
    Fail(EEXIST);
    return false;
}

bool AtomicOutputFile::PublishNamed() {
    if (existing_ == ExistingTarget::kReplace) {
        return ReplaceTarget();
    }
    if (::renameat2(folderFd_, temporaryName_.c_str(), folderFd_, name_.c_str(),
                    RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) {
            Fail(errno);
            return false;
        }
        // A file system without that flag: a hard link refuses an existing name as well.
        if (::linkat(folderFd_, temporaryName_.c_str(), folderFd_, name_.c_str(), 0) != 0) {
            Fail(errno);
            return false;
        }
        ::unlinkat(folderFd_, temporaryName_.c_str(), 0);
    }
    temporaryName_.clear();
    return true;
}

bool AtomicOutputFile::ReplaceTarget() {
    struct stat target {};
    if (::fstatat(folderFd_, name_.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const int refusal = Refusal(target, existing_); refusal != 0) {
            Fail(refusal);
            return false;
        }
    }
    if (::renameat(folderFd_, temporaryName_.c_str(), folderFd_, name_.c_str()) != 0) {
        Fail(errno);
        return false;
    }
    temporaryName_.clear();
    return true;
}

void AtomicOutputFile::DropTemporary() {
    writeback_.reset();  // before its descriptor is closed
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporaryName_.empty()) {
        ::unlinkat(folderFd_, temporaryName_.c_str(), 0);
        temporaryName_.clear();
    }
    UnregisterTemporary(slot_);
    slot_ = -1;
    if (folderFd_ >= 0) {
        ::close(folderFd_);
        folderFd_ = -1;
    }
    unnamed_ = false;
}

void AtomicOutputFile::UseNamedTemporaries(bool named) {
    gNamedOnly = named;
}

}  // namespace qx7
