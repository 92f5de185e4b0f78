#pragma once
// Inflating a compressed log container ("QX7LG1ZL" followed by a gzip stream) into a temporary
// file private to the process. Shared by the log reader and the statistics loader.
//
// The temporary file has no name: several processes may read one ".zlg" at once, a log on
// read-only media can be read, and nothing of it is left behind however the process ends.

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/base/FileSystem.h"

namespace qx7 {

// Stop inflating past this many bytes: a decompression bomb must not fill the user's disk.
inline constexpr std::uint64_t kMaxInflatedBytes = 1ULL << 30;

// Inflates the rest of `source` (positioned just after the 8-byte magic) into a new unnamed
// temporary file in TemporaryFolder() (core/base/FileSystem.h). 0 on success, with `inflated` open
// for reading and positioned at its start; closing it frees the space. Otherwise `inflated` is
// nullptr and the answer is -2 the temporary file cannot be created, -3 read error of the source,
// -5 the stream is damaged, truncated, not gzip at all or inflates to nothing, -6 short write to
// the temporary file, -7 the inflater reports an error on closing, -9 the inflater cannot be set
// up, kLogInflatesTooLarge (LogFileAccess.h) it inflates beyond `limit`. For -2, -3 and -6
// `error` (when given) receives the errno of the failing call (0 when the system gave none). (-4
// and -8 named the two files beside the log of an earlier way and no longer occur.) Like the gzip
// file reader, further gzip members are inflated too and bytes after the last member that do not
// begin another one are ignored.
int DecompressContainer(std::FILE* source, std::FILE*& inflated, int* error = nullptr,
                        std::uint64_t limit = kMaxInflatedBytes);

}  // namespace qx7
