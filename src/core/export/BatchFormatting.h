#pragma once
// Formatting a long listing on two threads: the calling thread reads entries in batches and
// formats some of them; one helper thread formats the others. The batches' texts go out in the
// source's order, so the result is byte for byte what one thread makes. Reading stays on the
// calling thread (a source is read by one thread only), and so does everything the caller
// hands in: the progress callback and the emitter.
//
// Memory stays bounded: at most kFormatSlots batches are read and not yet emitted.

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/base/WorkerThread.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogEntry.h"

namespace qx7 {

inline constexpr int kFormatBatchEntries = 2048;
inline constexpr std::size_t kFormatSlots = 8;

// How a batched run ended.
enum class BatchRunEnd {
    kSourceEnd,     // every entry was read and emitted
    kReadFailed,    // the source failed; the entries read before were emitted
    kStopped,       // the progress callback or the emitter said stop
    kNoThread,      // no thread could be had; nothing was read, the caller does it alone
};

struct BatchRunResult {
    BatchRunEnd end = BatchRunEnd::kSourceEnd;
    int entriesRead = 0;
};

// Lines must be copyable (each thread gets its own copy, with its own scratch space) and have
//     bool Append(std::string& out, const CQXLogEntry& entry, int number,
//                 const LogTextContext& context);
// which appends the entry's line (answering true) or nothing (false).
// progress(entriesRead) is called after every `progressStep` entries read; false stops.
// emit(text, lines) writes a batch's text; false stops.
template <typename Lines, typename Progress, typename Emit>
BatchRunResult FormatInBatches(ILogEntrySource& source, const Lines& lines,
                               const LogTextContext& context, int progressStep,
                               Progress progress, Emit emit);

namespace batch_detail {

// A batch's entries packed one after the other in one buffer: the reading thread writes it
// front to back and the formatting thread reads it so. Entries handed over as objects, each
// with its parameters in a heap block of its own, made both threads miss the cache on every
// entry the other had touched last; a packed buffer streams.
class PackedEntries {
  public:
    void Clear() { used_ = 0; }
    void Add(const CQXLogEntry& entry) {
        const std::vector<unsigned char>& params = entry.Params();
        const Head head{entry.code,        entry.type, entry.subtype, entry.parameterLength,
                        entry.milliseconds, entry.time, static_cast<std::uint32_t>(params.size())};
        const std::size_t end = used_ + sizeof head + params.size();
        if (end > bytes_.size()) {
            // Grown seldom and by doubling: the buffer is reused batch after batch.
            bytes_.resize(std::max(end, 2 * bytes_.size()));
        }
        std::memcpy(bytes_.data() + used_, &head, sizeof head);
        if (!params.empty()) {
            std::memcpy(bytes_.data() + used_ + sizeof head, params.data(), params.size());
        }
        used_ = end;
    }
    // Fills `entry` with the entry at `offset` and answers the offset of the next one.
    std::size_t Take(std::size_t offset, CQXLogEntry& entry) const {
        Head head;
        std::memcpy(&head, bytes_.data() + offset, sizeof head);
        entry.code = head.code;
        entry.type = head.type;
        entry.subtype = head.subtype;
        entry.parameterLength = head.parameterLength;
        entry.milliseconds = head.milliseconds;
        entry.time = head.time;
        const unsigned char* params = bytes_.data() + offset + sizeof head;
        entry.AssignParams(params, head.paramBytes);
        return offset + sizeof head + head.paramBytes;
    }

  private:
    struct Head {
        std::uint32_t code;
        std::int32_t type;
        std::int32_t subtype;
        std::int32_t parameterLength;
        std::int32_t milliseconds;
        std::uint32_t time;
        std::uint32_t paramBytes;
    };
    std::vector<unsigned char> bytes_;
    std::size_t used_ = 0;  // bytes_ beyond this are room, not entries
};

struct Batch {
    PackedEntries entries;
    int first = 0;  // number of its first entry
    int count = 0;
    std::string text;
    int lines = 0;
    bool inUse = false;
    bool formatted = false;  // written by whichever thread formats it, under the lock
};

// `entry` is the formatting thread's own, reused from entry to entry.
template <typename Lines>
void FormatBatch(Batch& batch, Lines& lines, const LogTextContext& context, CQXLogEntry& entry) {
    batch.text.clear();
    batch.lines = 0;
    std::size_t offset = 0;
    for (int i = 0; i < batch.count; ++i) {
        offset = batch.entries.Take(offset, entry);
        if (lines.Append(batch.text, entry, batch.first + i, context)) {
            ++batch.lines;
        }
    }
}

// The helper thread and what it shares with the reading thread.
template <typename Lines>
class FormatHelper {
  public:
    FormatHelper(const Lines& lines, const LogTextContext& context)
        : lines_(lines),
          // Its own context: a context's date cache is for one thread.
          context_(context.Language(), context.LocalTime()),
          thread_(StartWorkerThread([this] { Run(); })) {}
    ~FormatHelper() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    FormatHelper(const FormatHelper&) = delete;
    FormatHelper& operator=(const FormatHelper&) = delete;

    // False when the system gave no thread.
    bool Started() const { return thread_.joinable(); }

    // Gives the batch to the helper unless it has one waiting besides the one it formats (so
    // it never idles while the reading thread is busy); false: format it yourself.
    bool Offer(Batch& batch) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.size() >= 3) {
                return false;
            }
            queue_.push_back(&batch);
        }
        changed_.notify_all();
        return true;
    }
    void MarkFormatted(Batch& batch) {
        const std::lock_guard<std::mutex> lock(mutex_);
        batch.formatted = true;
    }
    bool IsFormatted(const Batch& batch) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return batch.formatted;
    }
    void WaitFormatted(const Batch& batch) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return batch.formatted; });
    }

  private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            Batch* batch = queue_.front();
            lock.unlock();
            FormatBatch(*batch, lines_, context_, entry_);
            lock.lock();
            queue_.pop_front();
            batch->formatted = true;
            changed_.notify_all();
        }
    }

    Lines lines_;
    LogTextContext context_;
    CQXLogEntry entry_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch*> queue_;  // its front is being formatted
    bool stopping_ = false;
    std::thread thread_;  // last: started once the rest is ready
};

}  // namespace batch_detail

template <typename Lines, typename Progress, typename Emit>
BatchRunResult FormatInBatches(ILogEntrySource& source, const Lines& lines,
                               const LogTextContext& context, int progressStep,
                               Progress progress, Emit emit) {
    using batch_detail::Batch;
    std::array<Batch, kFormatSlots> slots;
    std::deque<Batch*> pending;  // read and not yet emitted, in the source's order
    Lines own(lines);
    CQXLogEntry read;       // the entry being read, then packed
    CQXLogEntry formatted;  // the entry this thread formats, unpacked
    BatchRunResult result;
    batch_detail::FormatHelper<Lines> helper(lines, context);
    if (!helper.Started()) {
        result.end = BatchRunEnd::kNoThread;
        return result;
    }

    // Emits the formatted batches at the front; with `wait`, waits for the first one.
    const auto emitReady = [&](bool wait) {
        while (!pending.empty()) {
            Batch& front = *pending.front();
            if (wait) {
                helper.WaitFormatted(front);
            } else if (!helper.IsFormatted(front)) {
                return true;
            }
            wait = false;
            const bool written = emit(std::string_view(front.text), front.lines);
            front.inUse = false;
            pending.pop_front();
            if (!written) {
                return false;
            }
        }
        return true;
    };

    int answer = 1;
    while (answer == 1) {
        Batch* batch = nullptr;
        for (Batch& slot : slots) {
            if (!slot.inUse) {
                batch = &slot;
                break;
            }
        }
        if (batch == nullptr) {
            if (!emitReady(true)) {
                result.end = BatchRunEnd::kStopped;
                return result;
            }
            continue;
        }
        batch->first = result.entriesRead;
        batch->count = 0;
        batch->formatted = false;
        batch->entries.Clear();
        while (batch->count < kFormatBatchEntries && (answer = source.ReadEntry(read)) == 1) {
            batch->entries.Add(read);
            ++batch->count;
            ++result.entriesRead;
            if (result.entriesRead % progressStep == 0 && !progress(result.entriesRead)) {
                result.end = BatchRunEnd::kStopped;
                return result;
            }
        }
        if (batch->count > 0) {
            batch->inUse = true;
            pending.push_back(batch);
            if (!helper.Offer(*batch)) {
                batch_detail::FormatBatch(*batch, own, context, formatted);
                helper.MarkFormatted(*batch);
            }
        }
        if (!emitReady(false)) {
            result.end = BatchRunEnd::kStopped;
            return result;
        }
    }
    while (!pending.empty()) {
        if (!emitReady(true)) {
            result.end = BatchRunEnd::kStopped;
            return result;
        }
    }
    result.end = answer == 0 ? BatchRunEnd::kSourceEnd : BatchRunEnd::kReadFailed;
    return result;
}

}  // namespace qx7
