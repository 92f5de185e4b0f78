#pragma once
// Inflating a compressed log container ("QX7LG1ZL" followed by a gzip stream) into a temporary
// file private to the process. Shared by the log reader and the statistics loader.
//
// The temporary file has no name: several processes may read one ".zlg" at once, a log on
// read-only media can be read, and nothing of it is left behind however the process ends.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/base/FileSystem.h"

namespace qx7 {

class Inflate;

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

// How an inflate that runs while its copy is read ends (DecompressContainerWhileReading).
class InflateJob {
  public:
    // Waits until the inflate has ended; its answer is DecompressContainer's (0, -3, -5, -6, -9,
    // kLogInflatesTooLarge) with the errno of -3 and -6 in `error`.
    int Wait(int* error = nullptr) const;
    // The bytes inflated so far; all of them once Wait has answered 0.
    std::uint64_t Inflated() const;

  private:
    friend struct InflateJobAccess;
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::uint64_t written_ = 0;
    bool ended_ = false;
    int result_ = 0;
    int error_ = 0;
    std::atomic<bool> stop_{false};
};

// DecompressContainer with the inflate in a thread of its own while `inflated` is read: a read
// waits until the bytes it asks for are inflated or the inflate has ended, and after the bytes of
// a failed inflate it fails (EIO). Only -2 (with `error`) answers at once; whether the inflate
// succeeded only `job`->Wait tells, and a reader must ask it before trusting what it read. On 0
// `source` belongs to `inflated` and is closed with it; closing `inflated` before the end stops
// the inflate. Where streams of the process's own cannot be made the inflate runs at once, as
// DecompressContainer's, and a failure is answered here.
int DecompressContainerWhileReading(std::FILE* source, std::FILE*& inflated,
                                    std::shared_ptr<const InflateJob>& job, int* error = nullptr,
                                    std::uint64_t limit = kMaxInflatedBytes);

// DecompressContainer with the inflate in a thread of its own, for a reader that reads the copy at
// offsets while it grows: a read waits until its bytes are inflated or the inflate has ended.
// Whether the inflate succeeded only Wait tells; nothing read may be trusted before it answered 0.
class InflatingCopy {
  public:
    InflatingCopy() = default;
    // Stops an inflate still running and waits for its thread; the copy goes with it (readers
    // opened on it keep it until they close).
    ~InflatingCopy();
    InflatingCopy(const InflatingCopy&) = delete;
    InflatingCopy& operator=(const InflatingCopy&) = delete;

    // Starts inflating the rest of `source` (positioned just after the magic), which belongs to
    // the copy from then on, whatever the answer. 0 while the inflate runs, -2 (with `error`)
    // when the copy cannot be made. Where no thread can be had the inflate runs at once and its
    // failure is answered here, as DecompressContainer's; -1 when the copy cannot be read.
    int Start(std::FILE* source, int* error = nullptr, std::uint64_t limit = kMaxInflatedBytes);
    // Up to `size` bytes at `offset`, once they are inflated or the inflate has ended: the count
    // read, 0 at the end of a complete copy, -1 past the bytes of a failed inflate or when the
    // copy cannot be read.
    std::int64_t ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const;
    // Waits until the inflate has ended: DecompressContainer's answer, with the errno of -3 and
    // -6 in `error`.
    int Wait(int* error = nullptr) const;
    // The copy's stream, for readers of their own (PositionalReader) once Wait answered 0.
    std::FILE* Copy() const { return out_; }

  private:
    int InflateNow(int* error, std::uint64_t limit);

    std::shared_ptr<InflateJob> job_;
    std::FILE* source_ = nullptr;
    std::FILE* out_ = nullptr;
    PositionalReader reader_;
    std::thread worker_;
};

// The name of the inflater DecompressContainer uses now: "isa-l" or "zlib".
std::string_view InflaterName();

namespace detail {
// Takes inflated bytes; 0, or the failure's answer with its errno in the last argument.
using InflatedSink = std::function<int(const unsigned char*, std::size_t, int&)>;
// The inflating itself with `inflater` (Inflate::Create's; -9 when it is nullptr), with the
// answers of DecompressContainer.
int InflateMembers(std::FILE* source, Inflate* inflater, const InflatedSink& sink,
                   std::uint64_t limit, int& error);
}  // namespace detail

}  // namespace qx7
