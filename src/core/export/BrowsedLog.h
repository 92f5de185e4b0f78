#pragma once
// A saved log opened for browsing: the reader (a ".zlg" inflated once, into its unnamed
// temporary file, for as long as the log is browsed), the entry index and rows on demand.
// Opening and indexing may run on a worker thread; afterwards one thread at a time uses it.
// Indexed in pieces (OpenInPieces), its first rows can be shown while the rest are read.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/text/Messages.h"
#include "core/base/LocalTime.h"
#include "core/export/EntryBrowsing.h"
#include "core/log/LogEntryIndex.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

enum class BrowseOpenResult {
    kOpened,  // every entry is indexed
    kPartly,  // a read error stopped the index; the entries before it are there
    kFull,    // the log holds more entries than an index takes; the first ones are there
    kCancelled,
    kCannotOpen,  // `Cause()` says why
};

// The sizes of the pieces an index is read in: a small first one, so that rows are on show
// soon, then larger ones, so that adding them costs the window little.
struct IndexPieceSizes {
    std::size_t first = 4096;
    std::size_t next = 16384;
};

// A piece of the index, read on the worker thread for the owner's thread to add (AddPiece).
struct BrowsedPiece {
    std::vector<IndexedEntry> entries;
    int total = 0;  // the opening scan's count of entries: about what the index comes to
    // With the last piece only: how the reading ended, and the codes of the log, each once,
    // ascending.
    std::optional<BrowseOpenResult> end;
    std::vector<std::uint32_t> codes;
};
using PieceDelivery = std::function<void(BrowsedPiece&& piece)>;

class BrowsedLog {
  public:
    BrowsedLog(LanguageId language, const ILocalTime& clock);
    ~BrowsedLog();
    BrowsedLog(const BrowsedLog&) = delete;
    BrowsedLog& operator=(const BrowsedLog&) = delete;

    // Opens the log and indexes its entries; `cancel` (when given) is looked at as the index
    // grows, `progress` told as in LogEntryIndex::Build.
    BrowseOpenResult Open(const std::string& path, const IndexProgress& progress = {},
                          const std::atomic<bool>* cancel = nullptr);
    // The same, the index read a piece at a time and each piece handed to `deliver` on this
    // thread, in order; the owner's thread adds them with AddPiece in that order and may ask
    // for the rows of the entries added meanwhile (Row), but leaves the rest alone until the
    // first piece is in. The last piece carries the end, also answered here; kCannotOpen and
    // kCancelled come without a piece (a cancelled log's reader is closed).
    BrowseOpenResult OpenInPieces(const std::string& path, const PieceDelivery& deliver,
                                  const std::atomic<bool>* cancel = nullptr,
                                  IndexPieceSizes sizes = {});
    // Adds a piece OpenInPieces handed over; with the last one, the codes too.
    void AddPiece(BrowsedPiece& piece);
    // Why the log could not be opened, in words (the reader's messages included).
    const std::string& Cause() const { return cause_; }

    const LogEntryIndex& Index() const { return index_; }
    // The codes of the indexed entries, each once, ascending (made while opening).
    const std::vector<std::uint32_t>& Codes() const { return codes_; }
    const LogTextContext& TextContext() const { return context_; }
    bool Row(std::size_t i, LogEntryRow& row);
    // Closes the reader; its temporary file goes with it.
    void Close();

  private:
    bool OpenReader(const std::string& path);

    // The reader is shared while the index is read in pieces: rows are decoded between them.
    // The rows (the owner's) take it only to read entries again, not for rows kept.
    std::mutex readerLock_;
    // The reader's messages go into the cause, not to the user: a worker thread may be opening.
    CQXLogFile reader_;
    LogEntryIndex index_;
    std::vector<std::uint32_t> codes_;
    LogTextContext context_;
    std::optional<LogEntryRows> rows_;
    std::string cause_;
};

}  // namespace qx7
