#include "core/export/BrowsedLog.h"

#include <algorithm>
#include <utility>

#include "core/log/LogOpening.h"

namespace qx7 {

BrowsedLog::BrowsedLog(LanguageId language, const ILocalTime& clock)
    : reader_(clock), context_(language, clock) {}

BrowsedLog::~BrowsedLog() {
    Close();
}

namespace {

BrowseOpenResult ResultOf(IndexEnd end) {
    switch (end) {
        case IndexEnd::kComplete:
            return BrowseOpenResult::kOpened;
        case IndexEnd::kFull:
            return BrowseOpenResult::kFull;
        case IndexEnd::kCancelled:
            return BrowseOpenResult::kCancelled;
        default:
            return BrowseOpenResult::kPartly;
    }
}

}  // namespace

bool BrowsedLog::OpenReader(const std::string& path) {
    Close();
    codes_.clear();
    cause_.clear();
    const std::lock_guard lock(readerLock_);
    if (!OpenLogEntries(reader_, path, context_.Language(), cause_)) {
        reader_.Close();
        return false;
    }
    return true;
}

BrowseOpenResult BrowsedLog::Open(const std::string& path, const IndexProgress& progress,
                                  const std::atomic<bool>* cancel) {
    if (!OpenReader(path)) {
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
    rows_.emplace(reader_, index_, context_, false, &readerLock_);
    return ResultOf(end);
}

BrowseOpenResult BrowsedLog::OpenInPieces(const std::string& path, const PieceDelivery& deliver,
                                          const std::atomic<bool>* cancel,
                                          IndexPieceSizes sizes) {
    index_.Clear();
    if (!OpenReader(path)) {
        return BrowseOpenResult::kCannotOpen;
    }
    LogEntryIndexer indexer;
    DistinctCodeCollector codes;
    {
        const std::lock_guard lock(readerLock_);
        codes.Reserve(std::min(static_cast<std::size_t>(std::max(reader_.GetEntryCount(), 0)),
                               kMostIndexedEntries));
    }
    std::size_t most = std::max<std::size_t>(sizes.first, 1);
    for (;;) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            // The rows are the owner's to drop (Close); the reader goes now.
            const std::lock_guard lock(readerLock_);
            reader_.Close();
            return BrowseOpenResult::kCancelled;
        }
        BrowsedPiece piece;
        std::optional<IndexEnd> end;
        {
            // Held for one piece only: the rows on show are decoded in between.
            const std::lock_guard lock(readerLock_);
            end = indexer.Next(reader_, most, piece.entries);
            piece.total = reader_.GetEntryCount();
        }
        codes.Add(piece.entries);
        if (!end) {
            deliver(std::move(piece));
            most = std::max<std::size_t>(sizes.next, 1);
            continue;
        }
        const BrowseOpenResult result = ResultOf(*end);
        piece.end = result;
        piece.codes = codes.Take();
        deliver(std::move(piece));
        return result;
    }
}

void BrowsedLog::AddPiece(BrowsedPiece& piece) {
    if (!rows_) {
        rows_.emplace(reader_, index_, context_, false, &readerLock_);
    }
    index_.Append(piece.entries, piece.total);
    if (piece.end) {
        index_.ShrinkToFit();
        codes_ = std::move(piece.codes);
    }
}

bool BrowsedLog::Row(std::size_t i, LogEntryRow& row) {
    // Rows kept from an earlier reading need no lock: only reading the log again takes it.
    return rows_ && rows_->Row(i, row);
}

void BrowsedLog::Close() {
    rows_.reset();
    const std::lock_guard lock(readerLock_);
    reader_.Close();
}

}  // namespace qx7
