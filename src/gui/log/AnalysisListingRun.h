#pragma once
// One listing of a log analysis made on a thread of its own, so that a long one ("All" on a
// large log) leaves the window free to answer: the thread has its own reader, text context and
// message collector, and hands the listing over in pieces through a short queue, waiting while
// the queue is full, so memory stays bounded however long the listing is. The window takes the
// pieces on its own thread, a few at a time between its other events.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/text/Language.h"
#include "core/log/LogAnalysis.h"

namespace qx7 {
class ILocalTime;
}

namespace qx7::gui {

struct AnalysisRequest {
    std::string path;
    std::size_t analysis = 0;  // index into LogAnalyses()
    long maximum = kAnalysisMaxima[0];
    LanguageId language = kEnglish;
};

class AnalysisListingRun {
  public:
    // The longest piece handed to the window (a longer line comes whole), and how many the
    // queue holds at most.
    static constexpr std::size_t kPieceBytes = 16384;
    static constexpr std::size_t kQueuedPieces = 16;

    enum class Take {
        kPiece,    // the next piece of the listing
        kWaiting,  // none yet: the thread is still at work and will wake the window
        kEnded,    // the thread has ended and every piece was taken
    };

    // Starts the run. `wake` is called on the run's thread when a piece arrives in an empty
    // queue, and once more when the run has ended; it must only post to the window's thread.
    // The clock outlives the run.
    AnalysisListingRun(AnalysisRequest request, const ILocalTime& clock,
                       std::function<void()> wake);
    // Stops the run and waits for its thread.
    ~AnalysisListingRun();
    AnalysisListingRun(const AnalysisListingRun&) = delete;
    AnalysisListingRun& operator=(const AnalysisListingRun&) = delete;

    // The run reads no further and hands nothing more over; returns at once.
    void Stop();
    // The next piece as a view shows it (CR LF become line breaks), or why there is none.
    Take TakePiece(QString& piece);
    // Pieces waiting to be taken; never more than kQueuedPieces.
    std::size_t Queued() const;
    // The texts of the messages core showed while the run read the log, in order; complete
    // once TakePiece answered kEnded.
    std::vector<std::string> Messages() const;

  private:
    void Run(const AnalysisRequest& request, const ILocalTime& clock);
    bool Hand(std::string_view text);
    bool Queue(std::string_view lines);

    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable roomFreed_;
    std::deque<QString> pieces_;              // guarded by mutex_
    std::vector<std::string> messages_;       // guarded by mutex_
    bool ended_ = false;                      // guarded by mutex_
    std::atomic<bool> stopRequested_{false};  // also changed under mutex_, for roomFreed_
    std::thread thread_;                      // last: starts once everything above exists
};

}  // namespace qx7::gui
