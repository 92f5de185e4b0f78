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

bool AtomicOutputFile::Write(std::string_view bytes) {
    return stream_ != nullptr &&
           std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size();
}

void AtomicOutputFile::Abandon() {
    DropTemporary();
}

}  // namespace qx7
