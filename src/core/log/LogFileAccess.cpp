#include "core/log/LogFileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qx7 {

std::FILE* OpenLogFile(const std::string& path, int& answer) {
    // Looking first keeps a device from being opened at all; looking again at what was opened
    // covers a path that changed in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        answer = -1;
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        answer = kLogNotRegularFile;
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        answer = -1;
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        const bool regular = S_ISREG(info.st_mode);
        ::close(fd);
        errno = error;
        answer = regular ? -1 : kLogNotRegularFile;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
        answer = -1;
        return nullptr;
    }
    answer = 0;
    return file;
}

}  // namespace qx7
