#pragma once
// Inflating a compressed log container ("QX7LG1ZL" followed by a gzip stream) into a temporary
// file private to the process. Shared by the log reader and the statistics loader.
//
// The temporary file has no name: several processes may read one ".zlg" at once, a log on
// read-only media can be read, and nothing of it is left behind however the process ends.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "core/base/FileSystem.h"

namespace qx7 {

// Stop inflating past this many bytes: a decompression bomb must not fill the user's disk.
inline constexpr std::uint64_t kMaxInflatedBytes = 1ULL << 30;

// Inflates the rest of `source` (positioned just after the 8-byte magic) into a new unnamed
// temporary file in TemporaryFolder() (core/base/FileSystem.h). 0 on success, with `inflated` open
// for reading and positioned at its start; closing it frees the space. Otherwise `inflated` is
// nullptr and the answer is -2 the temporary file cannot be created, -3 read error of the source,
// -5 the stream is damaged, truncated, not gzip at all or inflates to nothing, -6 short write to
// the temporary file, -9 the inflater cannot be set up, kLogInflatesTooLarge (LogFileAccess.h) it
// inflates beyond `limit`. For -2, -3 and -6 `error` (when given) receives the errno of the
// failing call (0 when the system gave none). (-4 and -8 named the two files beside the log of
// an earlier way, -7 an error of the inflater on closing; none of them occurs any more.) The
// inflater is ISA-L's where the build has it, else zlib's (Inflate.h). Like the gzip
// file reader, further gzip members are inflated too and bytes after the last member that do not
// begin another one are ignored.
int DecompressContainer(std::FILE* source, std::FILE*& inflated, int* error = nullptr,
                        std::uint64_t limit = kMaxInflatedBytes);

// The name of the inflater DecompressContainer uses now: "isa-l" or "zlib".
std::string_view InflaterName();

namespace detail {
// Takes inflated bytes; 0, or the failure's answer with its errno in the last argument.
using InflatedSink = std::function<int(const unsigned char*, std::size_t, int&)>;
// The inflating itself, with the answers of DecompressContainer (-7 no longer occurs: neither
// inflater fails on closing).
int InflateMembers(std::FILE* source, const InflatedSink& sink, std::uint64_t limit, int& error);
}  // namespace detail

}  // namespace qx7
