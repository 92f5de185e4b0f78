#pragma once
// Writing all of a buffer to a descriptor: a write may take less than it was given, and a
// signal may interrupt it.

#include <cstddef>
#include <string_view>

namespace qx7 {

// True when every byte was written; false on the first error (errno says which).
bool WriteWhole(int fd, const void* data, std::size_t size);
inline bool WriteWhole(int fd, std::string_view bytes) {
    return WriteWhole(fd, bytes.data(), bytes.size());
}

}  // namespace qx7
