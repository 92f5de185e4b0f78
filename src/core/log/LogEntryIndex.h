#pragma once
// Random access to the entries of a saved log: one pass notes where each entry starts and the
// few fields filters need (time, code, type), 16 bytes an entry whatever its text; rows are
// then decoded on demand from the reader, a stretch at a time, so a million-entry log is
// browsed without its text ever being held.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/log/LogTextContext.h"
#include "core/log/QXLogEntry.h"

namespace qx7 {

struct IndexedEntry {
    std::uint32_t position = 0;  // where the reader delivers it again (SeekEntry)
    std::uint32_t time = 0;      // printer seconds
    std::uint32_t code = 0;
    std::uint8_t type = 0;
};

enum class IndexEnd {
    kComplete,    // every entry up to the end of the data
    kCancelled,   // the progress callback asked to stop
    kReadFailed,  // the source reported a read error; the entries before it are indexed
    kFull,        // the most entries an index takes are indexed; the rest are left out
};

// Told the entries indexed so far and the source's entry count; false cancels.
using IndexProgress = std::function<bool(std::size_t indexed, int total)>;
// How often the progress callback is told.
inline constexpr std::size_t kIndexProgressStep = 16384;
// The most entries an index takes (128 MiB of index). A printer's ring holds about a million;
// only a hostile or damaged file (a decompression bomb) comes near it, and memory stays bounded.
inline constexpr std::size_t kMostIndexedEntries = std::size_t{1} << 23;

class LogEntryIndex {
  public:
    // Reads every entry from the source's present position to its end, or up to `mostEntries`.
    // Replaces what the index held before.
    IndexEnd Build(IPositionedLogEntrySource& source, const IndexProgress& progress = {},
                   std::size_t mostEntries = kMostIndexedEntries);

    // Growing an index a piece at a time (LogEntryIndexer): adds the entries at the end; the
    // first piece reserves room for the source's count of entries (`total`), up to the most.
    void Append(const std::vector<IndexedEntry>& piece, int total);
    // Gives back the room reserved beyond the entries, once the last piece is in.
    void ShrinkToFit() { entries_.shrink_to_fit(); }
    void Clear() { entries_.clear(); }

    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const IndexedEntry& operator[](std::size_t i) const { return entries_[i]; }
    const std::vector<IndexedEntry>& Entries() const { return entries_; }

  private:
    std::vector<IndexedEntry> entries_;
};

// Reads an index a piece at a time, so that the entries read so far can be shown while the
// rest are read: the pieces, one after the other, are the entries Build indexes, and the end
// is the one Build answers. Between two pieces the source may be read elsewhere (rows decoded
// for a view): each piece first goes back to where the last one stopped. The first piece
// starts at the source's present position, like Build.
class LogEntryIndexer {
  public:
    explicit LogEntryIndexer(std::size_t mostEntries = kMostIndexedEntries)
        : mostEntries_(mostEntries) {}

    // Reads up to `most` more entries into `piece` (emptied first). Answers the end once the
    // piece is the last one, and again, with no entries, when asked after it.
    std::optional<IndexEnd> Next(IPositionedLogEntrySource& source, std::size_t most,
                                 std::vector<IndexedEntry>& piece);

  private:
    bool Resume(IPositionedLogEntrySource& source);

    std::size_t mostEntries_;
    std::size_t indexed_ = 0;
    std::uint32_t lastPosition_ = 0;  // of the last entry read, when indexed_ > 0
    std::optional<IndexEnd> end_;
};

// The texts of one entry as a row of a view; the same pieces the text export's line is made of.
struct LogEntryRow {
    std::size_t number = 0;  // the entry's place among all entries of the log, from 0
    std::string dateTime;    // "MM/DD/YYYY HH:MM:SS" in the PC's local time
    std::uint32_t code = 0;
    std::string typeText;     // ERR, WRN, INF ...
    std::string description;  // in the context's language
    std::string parameters;   // the decoded parameters, or the raw words with extended data
};

// Decodes rows of an indexed log on demand, keeping a few stretches of recent rows. The source
// and the index must outlive it; one thread at a time. The index may grow meanwhile.
class LogEntryRows {
  public:
    static constexpr std::size_t kStretchRows = 256;
    static constexpr std::size_t kStretchesKept = 16;

    // `sourceLock`, when given, is held while the source is read: another thread may read it
    // between the rows (an index read in pieces), never while a stretch is.
    LogEntryRows(IPositionedLogEntrySource& source, const LogEntryIndex& index,
                 const LogTextContext& context, bool extendedData = false,
                 std::mutex* sourceLock = nullptr);

    // The row of entry i; false when i is past the index or the source cannot deliver it again.
    bool Row(std::size_t i, LogEntryRow& row);
    // The entry itself (its parameters included); same answers.
    bool Entry(std::size_t i, CQXLogEntry& entry);

  private:
    struct Stretch {
        std::size_t first = 0;
        std::vector<CQXLogEntry> entries;
    };
    const Stretch* Load(std::size_t i);

    IPositionedLogEntrySource& source_;
    const LogEntryIndex& index_;
    const LogTextContext& context_;
    bool extendedData_;
    std::mutex* sourceLock_;
    std::list<Stretch> kept_;  // most recently used first
};

// The row texts of an entry.
void MakeLogEntryRow(const CQXLogEntry& entry, std::size_t number, const LogTextContext& context,
                     bool extendedData, LogEntryRow& row);

}  // namespace qx7
