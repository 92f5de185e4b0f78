#include "core/base/AtomicOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace qx7 {

AtomicOutputFile::~AtomicOutputFile() { Abandon(); }

int AtomicOutputFile::Open(const std::string& path) {
    Abandon();
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        return errno != 0 ? errno : EIO;
    }
    // mkstemp makes the file 0600; an output file is an ordinary document of the user.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(0666U & ~static_cast<unsigned>(mask)));
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(buffer.data());
        return error != 0 ? error : EIO;
    }
    static constexpr std::size_t kBufferBytes = 1 << 16;
    std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
    path_ = path;
    temporaryPath_ = buffer.data();
    return 0;
}

bool AtomicOutputFile::Write(std::string_view bytes) {
    return stream_ != nullptr &&
           std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size();
}

bool AtomicOutputFile::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    const bool written = std::ferror(stream_) == 0 && std::fflush(stream_) == 0 &&
                         ::fsync(::fileno(stream_)) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed || ::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void AtomicOutputFile::Abandon() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

}  // namespace qx7
