// The parts of the file interface that are the same on every platform; the rest is the
// platform's (platform/<name>/files).

#include "core/base/FileSystem.h"

#include <cerrno>
#include <utility>

namespace qx7 {

std::FILE* CopyIntoUnnamedTemporary(const std::vector<unsigned char>& bytes) {
    std::FILE* copy = CreateUnnamedTemporary(TemporaryFolder());
    if (copy == nullptr) {
        return nullptr;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), copy) != bytes.size() ||
        std::fflush(copy) != 0 || !SeekStream(copy, 0, SEEK_SET)) {
        const int error = errno;
        std::fclose(copy);
        errno = error;
        return nullptr;
    }
    return copy;
}

PositionalReader::~PositionalReader() {
    Close();
}

PositionalReader::PositionalReader(PositionalReader&& other) noexcept
    : handle_(other.handle_), memory_(std::move(other.memory_)) {
    other.handle_ = kNone;
}

PositionalReader& PositionalReader::operator=(PositionalReader&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kNone;
        memory_ = std::move(other.memory_);
    }
    return *this;
}

bool SameFile(const std::string& first, const std::string& second) {
    const auto a = IdentityOfPath(first);
    const auto b = IdentityOfPath(second);
    return a && b && *a == *b;
}

}  // namespace qx7
