#pragma once
// Inflating a compressed log container ("QX7LG1ZL" followed by a gzip stream) into a temporary
// file private to the process. Shared by the log reader and the statistics loader.
//
// The temporary file has no name: several processes may read one ".zlg" at once, a log on
// read-only media can be read, and nothing of it is left behind however the process ends.

#include <cstdint>
#include <cstdio>
#include <string>

namespace qx7 {

// Stop inflating past this many bytes: a decompression bomb must not fill the user's disk.
inline constexpr std::uint64_t kMaxInflatedBytes = 1ULL << 30;

// Inflates the rest of `source` (positioned just after the 8-byte magic) into a new unnamed
// temporary file in TemporaryFolder(). 0 on success, with `inflated` open for reading and
// positioned at its start; closing it frees the space. Otherwise `inflated` is nullptr and the
// answer is -2 the temporary file cannot be created, -3 read error of the source, -5 the stream
// is damaged, truncated, not gzip at all, inflates to nothing or beyond the limit, -6 short
// write to the temporary file, -7 the inflater reports an error on closing, -9 the inflater
// cannot be set up. (-4 and -8 named the two files beside the log of an earlier way and no
// longer occur.) Like the gzip file reader, further gzip members are inflated too and bytes
// after the last member that do not begin another one are ignored.
int DecompressContainer(std::FILE* source, std::FILE*& inflated);

// The system's temporary folder: $TMPDIR when set and not empty, else /tmp.
std::string TemporaryFolder();

// A new file for reading and writing (mode 0600) in `folder` that no other process can find by
// name: created unnamed (O_TMPFILE) where the file system allows it, else by
// CreateAndUnlinkTemporary. nullptr on failure.
std::FILE* CreateUnnamedTemporary(const std::string& folder);

// The way for file systems without unnamed files: created exclusively under a unique name and
// unlinked at once, with the catchable signals held back in between so that only SIGKILL in
// that moment could leave the name. A name that no longer leads to our file is left alone.
std::FILE* CreateAndUnlinkTemporary(const std::string& folder);

}  // namespace qx7
