#include "gui/log/AnalysisListingRun.h"

#include <utility>

#include "core/text/Messages.h"
#include "core/log/LogOpening.h"
#include "core/log/LogTextContext.h"
#include "gui/log/ViewerText.h"

namespace qx7::gui {

AnalysisListingRun::AnalysisListingRun(AnalysisRequest request, const ILocalTime& clock,
                                       std::function<void()> wake)
    : wake_(std::move(wake)),
      thread_([this, request = std::move(request), &clock] { Run(request, clock); }) {}

AnalysisListingRun::~AnalysisListingRun() {
    Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AnalysisListingRun::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    roomFreed_.notify_all();
}

AnalysisListingRun::Take AnalysisListingRun::TakePiece(QString& piece) {
    const std::lock_guard lock(mutex_);
    if (!pieces_.empty()) {
        piece = std::move(pieces_.front());
        pieces_.pop_front();
        roomFreed_.notify_one();
        return Take::kPiece;
    }
    return ended_ ? Take::kEnded : Take::kWaiting;
}

std::size_t AnalysisListingRun::Queued() const {
    const std::lock_guard lock(mutex_);
    return pieces_.size();
}

std::vector<std::string> AnalysisListingRun::Messages() const {
    const std::lock_guard lock(mutex_);
    return messages_;
}

void AnalysisListingRun::Run(const AnalysisRequest& request, const ILocalTime& clock) {
    // Keeps what core shows on the run's thread for the window to show on its own.
    CollectingMessageSink sink;
    const qx7::Messages messages(request.language, sink);
    const LogTextContext context(request.language, clock);
    MessageReport report;
    StreamLogAnalysis(
        request.path, LogAnalyses()[request.analysis], request.maximum, &report, context,
        [this](std::string_view text) { return Hand(text); },
        [this] { return !stopRequested_.load(std::memory_order_relaxed); });
    report.Show(messages);
    {
        const std::lock_guard lock(mutex_);
        messages_ = std::move(sink.shown);
        ended_ = true;
    }
    wake_();
}

bool AnalysisListingRun::Hand(std::string_view text) {
    // Core's pieces are cut into smaller ones of whole lines, so that the window can stop
    // between any two of them when its time for a slice is up.
    while (!text.empty()) {
        std::size_t end = text.size();
        if (end > kPieceBytes) {
            const std::size_t lineEnd = text.rfind('\n', kPieceBytes - 1);
            end = lineEnd == std::string_view::npos ? text.find('\n', kPieceBytes) : lineEnd;
            end = end == std::string_view::npos ? text.size() : end + 1;
        }
        if (!Queue(text.substr(0, end))) {
            return false;
        }
        text.remove_prefix(end);
    }
    return true;
}

bool AnalysisListingRun::Queue(std::string_view lines) {
    // Converted here, so the window's thread only inserts.
    QString piece = ViewerText(lines);
    std::unique_lock lock(mutex_);
    roomFreed_.wait(lock, [this] { return stopRequested_ || pieces_.size() < kQueuedPieces; });
    if (stopRequested_) {
        return false;
    }
    const bool first = pieces_.empty();
    pieces_.push_back(std::move(piece));
    lock.unlock();
    if (first) {
        wake_();
    }
    return true;
}

}  // namespace qx7::gui
