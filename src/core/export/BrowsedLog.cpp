#include "core/export/BrowsedLog.h"

namespace qx7 {

// The reader's messages are kept for the cause, not shown: a worker thread may be opening.
class BrowsedLog::CollectingSink final : public IMessageSink {
  public:
    void ShowOk(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        shown.push_back(text);
        return false;
    }
    std::vector<std::string> shown;
};

namespace {

bool OpenLogForEntries(CQXLogFile& reader, const std::string& path,
                       const std::vector<std::string>& shown, std::string& cause) {
    const int kind = reader.Open(path);
    const bool opened = kind == 1 ? reader.OpenLogData() : kind == 0 && reader.OpenRawLog(path);
    if (!opened) {
        cause = shown.empty() ? "code " + std::to_string(kind) : shown.front();
    }
    return opened;
}

}  // namespace

BrowsedLog::BrowsedLog(LanguageId language, const ILocalTime& clock)
    : sink_(std::make_unique<CollectingSink>()),
      messages_(language, *sink_),
      reader_(messages_, clock),
      context_(language, clock) {}

BrowsedLog::~BrowsedLog() {
    Close();
}

BrowseOpenResult BrowsedLog::Open(const std::string& path, const IndexProgress& progress,
                                  const std::atomic<bool>* cancel) {
    Close();
    cause_.clear();
    sink_->shown.clear();
    if (!OpenLogForEntries(reader_, path, sink_->shown, cause_)) {
        reader_.Close();
        return BrowseOpenResult::kCannotOpen;
    }
    const IndexEnd end = index_.Build(reader_, [&](std::size_t indexed, int total) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return false;
        }
        return !progress || progress(indexed, total);
    });
    if (end == IndexEnd::kCancelled) {
        Close();
        return BrowseOpenResult::kCancelled;
    }
    rows_.emplace(reader_, index_, context_);
    return end == IndexEnd::kComplete ? BrowseOpenResult::kOpened : BrowseOpenResult::kPartly;
}

bool BrowsedLog::Row(std::size_t i, LogEntryRow& row) {
    return rows_ && rows_->Row(i, row);
}

void BrowsedLog::Close() {
    rows_.reset();
    reader_.Close();
}

}  // namespace qx7
