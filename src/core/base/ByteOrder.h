#pragma once
// Big-endian integers, as the printer wire and the saved log files store them.

#include <cstddef>
#include <cstdint>

namespace qx7 {

inline void WriteU32BE(unsigned char* destination, std::uint32_t value) {
    destination[0] = static_cast<unsigned char>(value >> 24);
    destination[1] = static_cast<unsigned char>(value >> 16);
    destination[2] = static_cast<unsigned char>(value >> 8);
    destination[3] = static_cast<unsigned char>(value);
}

inline void WriteU16BE(unsigned char* destination, std::uint16_t value) {
    destination[0] = static_cast<unsigned char>(value >> 8);
    destination[1] = static_cast<unsigned char>(value);
}

inline std::uint32_t ReadU32BE(const unsigned char* source) {
    return (static_cast<std::uint32_t>(source[0]) << 24) |
           (static_cast<std::uint32_t>(source[1]) << 16) |
           (static_cast<std::uint32_t>(source[2]) << 8) | static_cast<std::uint32_t>(source[3]);
}

inline std::uint16_t ReadU16BE(const unsigned char* source) {
    return static_cast<std::uint16_t>((source[0] << 8) | source[1]);
}

}  // namespace qx7
