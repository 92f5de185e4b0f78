#include "core/export/BrowsedLog.h"

#include "core/log/LogOpening.h"

namespace qx7 {

BrowsedLog::BrowsedLog(LanguageId language, const ILocalTime& clock)
    : reader_(clock), context_(language, clock) {}

BrowsedLog::~BrowsedLog() {
    Close();
}

BrowseOpenResult BrowsedLog::Open(const std::string& path, const IndexProgress& progress,
                                  const std::atomic<bool>* cancel) {
    Close();
    codes_.clear();
    cause_.clear();
    if (!OpenLogEntries(reader_, path, context_.Language(), cause_)) {
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
    codes_ = DistinctCodes(index_);
    rows_.emplace(reader_, index_, context_);
    switch (end) {
        case IndexEnd::kComplete:
            return BrowseOpenResult::kOpened;
        case IndexEnd::kFull:
            return BrowseOpenResult::kFull;
        default:
            return BrowseOpenResult::kPartly;
    }
}

bool BrowsedLog::Row(std::size_t i, LogEntryRow& row) {
    return rows_ && rows_->Row(i, row);
}

void BrowsedLog::Close() {
    rows_.reset();
    reader_.Close();
}

}  // namespace qx7
