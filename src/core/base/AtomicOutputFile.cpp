// The parts of the output file that are the same on every platform; creating and publishing
// the temporary is the platform's (platform/<name>/files).

#include "core/base/AtomicOutputFile.h"

#include <cerrno>

namespace qx7 {

AtomicOutputFile::~AtomicOutputFile() {
    Abandon();
}

int AtomicOutputFile::Fail(int error) {
    DropTemporary();
    error_ = error != 0 ? error : EIO;
    return error_;
}

bool AtomicOutputFile::FlushForCommit() {
    if (stream_ == nullptr) {
        if (error_ == 0) {
            error_ = EBADF;
        }
        return false;
    }
    if (std::ferror(stream_) != 0) {
        Fail(error_);  // the cause Write kept, else EIO (a write by the caller's own stream)
        return false;
    }
    errno = 0;
    if (std::fflush(stream_) != 0) {
        Fail(errno);
        return false;
    }
    return true;
}

bool AtomicOutputFile::Write(std::string_view bytes) {
    if (stream_ == nullptr) {
        return false;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
        // The first failure's cause ("No space left on device") is what Commit reports.
        if (error_ == 0) {
            error_ = errno != 0 ? errno : EIO;
            errno = error_;
        }
        return false;
    }
    return true;
}

void AtomicOutputFile::Abandon() {
    DropTemporary();
}

}  // namespace qx7
