#include "core/log/LogEntryIndex.h"

#include <algorithm>
#include <utility>

namespace qx7 {
namespace {

// What the index keeps of the entry the source delivered last.
IndexedEntry IndexedEntryOf(const IPositionedLogEntrySource& source, const CQXLogEntry& entry) {
    IndexedEntry indexed;
    indexed.position = source.EntryPosition();
    indexed.time = entry.time;
    indexed.code = entry.code;
    indexed.type = static_cast<std::uint8_t>(entry.type);
    return indexed;
}

}  // namespace

IndexEnd LogEntryIndex::Build(IPositionedLogEntrySource& source, const IndexProgress& progress,
                              std::size_t mostEntries) {
    entries_.clear();
    const int total = source.GetEntryCount();
    // The opening scan's count of markers: a good first size, but only a first size, since
    // a damaged file may hold markers that deliver no entry.
    constexpr std::size_t kLargestReserve = std::size_t{1} << 22;
    if (total > 0) {
        entries_.reserve(std::min(static_cast<std::size_t>(total), kLargestReserve));
    }
    CQXLogEntry entry;
    for (;;) {
        if (progress && entries_.size() % kIndexProgressStep == 0 &&
            !progress(entries_.size(), total)) {
            return IndexEnd::kCancelled;
        }
        const int read = source.ReadEntry(entry);
        if (read == 0) {
            break;
        }
        if (read != 1) {
            return IndexEnd::kReadFailed;
        }
        // Full only when an entry is left out: a log of exactly the most entries is complete.
        if (entries_.size() >= mostEntries) {
            if (progress) {
                progress(entries_.size(), total);
            }
            return IndexEnd::kFull;
        }
        entries_.push_back(IndexedEntryOf(source, entry));
    }
    entries_.shrink_to_fit();
    if (progress) {
        progress(entries_.size(), total);
    }
    return IndexEnd::kComplete;
}

void LogEntryIndex::Append(const std::vector<IndexedEntry>& piece, int total) {
    // Room for the count at once, up to the most entries: grown in the window's thread, a
    // second room and the copy into it would hold the window up and take half as much again.
    // A count too high (markers that deliver no entry) costs address space only, given back
    // with the last piece.
    if (entries_.empty() && total > 0) {
        entries_.reserve(std::min(static_cast<std::size_t>(total), kMostIndexedEntries));
    }
    // Doubled as Build's one entry at a time doubles it: a range inserted past the room would
    // make it the size plus the larger of the two, and the most entries (2^23) reached from a
    // first room of 2^22 would take twice the memory they need.
    if (entries_.size() + piece.size() > entries_.capacity()) {
        entries_.reserve(std::max(entries_.capacity() * 2, entries_.size() + piece.size()));
    }
    entries_.insert(entries_.end(), piece.begin(), piece.end());
}

bool LogEntryIndexer::Resume(IPositionedLogEntrySource& source) {
    if (indexed_ == 0) {
        return true;
    }
    // The last entry read once more puts the reading right behind it, wherever it was since.
    CQXLogEntry entry;
    return source.SeekEntry(lastPosition_) && source.ReadEntry(entry) == 1 &&
           source.EntryPosition() == lastPosition_;
}

std::optional<IndexEnd> LogEntryIndexer::Next(IPositionedLogEntrySource& source,
                                              std::size_t most,
                                              std::vector<IndexedEntry>& piece) {
    piece.clear();
    if (end_) {
        return end_;
    }
    if (!Resume(source)) {
        end_ = IndexEnd::kReadFailed;  // the source changed under the index
        return end_;
    }
    piece.reserve(std::min(most, mostEntries_ - indexed_));
    CQXLogEntry entry;
    while (piece.size() < most) {
        const int read = source.ReadEntry(entry);
        if (read == 0) {
            end_ = IndexEnd::kComplete;
            break;
        }
        if (read != 1) {
            end_ = IndexEnd::kReadFailed;
            break;
        }
        // Full only when an entry is left out: a log of exactly the most entries is complete.
        if (indexed_ >= mostEntries_) {
            end_ = IndexEnd::kFull;
            break;
        }
        piece.push_back(IndexedEntryOf(source, entry));
        lastPosition_ = piece.back().position;
        ++indexed_;
    }
    return end_;
}

void MakeLogEntryRow(const CQXLogEntry& entry, std::size_t number, const LogTextContext& context,
                     bool extendedData, LogEntryRow& row) {
    row.number = number;
    row.code = entry.code;
    entry.GetDateTimeText(row.dateTime, context);
    entry.GetTypeText(row.typeText);
    row.description.clear();
    entry.GetDescriptionText(row.description, context);
    row.parameters.clear();
    if (extendedData) {
        entry.GetRawDataText(row.parameters);
    } else {
        entry.GetParamText(row.parameters, context);
    }
}

LogEntryRows::LogEntryRows(IPositionedLogEntrySource& source, const LogEntryIndex& index,
                           const LogTextContext& context, bool extendedData,
                           std::mutex* sourceLock)
    : source_(source),
      index_(index),
      context_(context),
      extendedData_(extendedData),
      sourceLock_(sourceLock) {}

const LogEntryRows::Stretch* LogEntryRows::Load(std::size_t i) {
    if (i >= index_.Size()) {
        return nullptr;
    }
    const std::size_t first = i - i % kStretchRows;
    for (auto kept = kept_.begin(); kept != kept_.end(); ++kept) {
        if (kept->first == first && i - first >= kept->entries.size()) {
            // Read while the index ended inside it; the index has grown since.
            kept_.erase(kept);
            break;
        }
        if (kept->first == first) {
            kept_.splice(kept_.begin(), kept_, kept);
            return &kept_.front();
        }
    }
    Stretch stretch;
    stretch.first = first;
    const std::size_t count = std::min(kStretchRows, index_.Size() - first);
    stretch.entries.resize(count);
    std::unique_lock<std::mutex> lock;
    if (sourceLock_ != nullptr) {
        lock = std::unique_lock(*sourceLock_);
    }
    // One seek, then the stretch read on in order: neighbouring rows share the reader's buffer.
    if (!source_.SeekEntry(index_[first].position)) {
        return nullptr;
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (source_.ReadEntry(stretch.entries[k]) != 1 ||
            source_.EntryPosition() != index_[first + k].position) {
            return nullptr;  // the file changed under the index
        }
    }
    if (lock.owns_lock()) {
        lock.unlock();
    }
    if (kept_.size() >= kStretchesKept) {
        kept_.pop_back();
    }
    kept_.push_front(std::move(stretch));
    return &kept_.front();
}

bool LogEntryRows::Entry(std::size_t i, CQXLogEntry& entry) {
    const Stretch* stretch = Load(i);
    if (stretch == nullptr) {
        return false;
    }
    entry = stretch->entries[i - stretch->first];
    return true;
}

bool LogEntryRows::Row(std::size_t i, LogEntryRow& row) {
    const Stretch* stretch = Load(i);
    if (stretch == nullptr) {
        return false;
    }
    MakeLogEntryRow(stretch->entries[i - stretch->first], i, context_, extendedData_, row);
    return true;
}

}  // namespace qx7
