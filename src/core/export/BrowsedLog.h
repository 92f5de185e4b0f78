#pragma once
// A saved log opened for browsing: the reader (a ".zlg" inflated once, into its unnamed
// temporary file, for as long as the log is browsed), the entry index and rows on demand.
// Opening and indexing may run on a worker thread; afterwards one thread at a time uses it.

#include <atomic>
#include <memory>
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
    // The reader's messages go into the cause, not to the user: a worker thread may be opening.
    CQXLogFile reader_;
    LogEntryIndex index_;
    std::vector<std::uint32_t> codes_;
    LogTextContext context_;
    std::optional<LogEntryRows> rows_;
    std::string cause_;
};

}  // namespace qx7
