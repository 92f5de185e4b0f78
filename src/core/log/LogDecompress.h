#pragma once
// Inflating a compressed log container ("QX7LG1ZL" followed by one gzip stream) into a plain
// container beside it. Shared by the log reader and the statistics loader.

#include <cstdint>
#include <cstdio>
#include <string>

namespace qx7 {

// Stop inflating past this many bytes: a decompression bomb must not fill the user's disk.
inline constexpr std::uint64_t kMaxInflatedBytes = 1ULL << 30;

// Copies the rest of `source` (positioned just after the 8-byte magic) into fileName + ".tjg",
// inflates that into fileName + ".qvl" and removes the ".tjg" again. 0 on success; otherwise
// -2 ".tjg" cannot be created, -3 read error of the source, -4 short write to ".tjg",
// -5 the stream is damaged, truncated, not gzip at all or inflates beyond the limit,
// -6 short write to ".qvl", -7 the gzip reader reports an error on closing, -8 ".qvl" cannot be
// created, -9 the ".tjg" cannot be opened as gzip. After a failure no ".tjg" and no partial
// ".qvl" is left behind. Temporary files are created new: an existing link or another user's
// file of that name is never followed or overwritten (creation fails instead).
int DecompressContainer(std::FILE* source, const std::string& fileName);

// The inflation step alone: gzip file to plain file, with the codes -5 to -9 above.
int InflateFile(const std::string& gzipPath, const std::string& outputPath);

// Opens a new file for writing with mode 0600, refusing links and other users' files. A
// leftover regular file of our own (from a crash) is replaced. nullptr on failure.
std::FILE* CreateFreshFile(const std::string& path);

}  // namespace qx7
