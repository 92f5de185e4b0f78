#pragma once
// Decompression bombs: compressed containers a thousand times larger inflated than on disk,
// for the tests and benchmarks that hold the programs to a memory bound. They are deflated
// straight into the file, so their gigabyte of content never sits in memory, and each repeated
// stretch is deflated only once, so making one takes a moment.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx7::loggen {

// A compressed container ("QX7LG1ZL" and one gzip stream) whose plain form is `head`, then
// `unit` repeated `count` times, then `tail`. False on any error; the file then does not appear.
bool WriteRepeatingCompressed(const std::string& path, std::string_view head, std::string_view unit,
                              std::uint64_t count, std::string_view tail);

// How many units of `unitBytes` fit beside `otherBytes` into the reader's inflation limit.
std::uint64_t UnitsWithinInflationLimit(std::uint64_t unitBytes, std::uint64_t otherBytes);

// A plain container of a "LGDT" block holding `lead` and then `count` copies of `entries`
// (whole entries' words), then "ENDF"; compressed.
bool WriteEntryBomb(const std::string& path, std::string_view lead, std::string_view entries,
                    std::uint64_t count);

// A plain container with one text block `tag` of `textBytes` bytes of `fill` (no final zero),
// then "ENDF"; compressed.
bool WriteTextBomb(const std::string& path, std::string_view tag, std::uint64_t textBytes,
                   char fill);

// The plain container's bytes around a bomb's repeated part.
inline constexpr std::uint64_t kEntryBombOverhead = 36 + 8 + 8;

}  // namespace qx7::loggen
