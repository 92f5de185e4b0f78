#pragma once
// Long work off the window's thread: one thread of its own, a stop flag the work may poll, and
// the result handed to the window's thread. The window stays free to paint and to answer while
// the work runs; whoever owns the work stops it by destroying it (closing a dialog).
//
//     work_ = std::make_unique<BackgroundWork>(this,
//         [path](const std::atomic<bool>& stop) { return Read(path, stop); },
//         [this](Result result) { Show(result); });
//
// `finished` is called on the receiver's thread once the work has returned, unless the work was
// stopped first. The receiver owns the BackgroundWork (so the thread has ended before the
// receiver goes); the work gets copies, and objects that outlive the BackgroundWork.

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>

namespace qx7::gui {

class BackgroundWork {
  public:
    template <class Work, class Finished>
    BackgroundWork(QObject* receiver, Work work, Finished finished)
        : receiver_(receiver), stop_(std::make_shared<std::atomic<bool>>(false)) {
        thread_ = std::thread([receiver = receiver_, stop = stop_, work = std::move(work),
                               finished = std::move(finished)]() mutable {
            using Result = std::invoke_result_t<Work&, const std::atomic<bool>&>;
            if constexpr (std::is_void_v<Result>) {
                work(*stop);
                Deliver(receiver, stop, [finished = std::move(finished)]() mutable { finished(); });
            } else {
                Result result = work(*stop);
                Deliver(receiver, stop,
                        [finished = std::move(finished), result = std::move(result)]() mutable {
                            finished(std::move(result));
                        });
            }
        });
    }
    // Stops the work and waits for its thread: nothing the work uses may go before that.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Asks the work to stop (it sees the flag at its next poll) and drops its result and any
    // progress still on the way; returns at once.
    void Stop() { stop_->store(true); }
    bool StopRequested() const { return stop_->load(); }
    // The flag for work that takes a pointer to it (the entry browser's indexing).
    const std::atomic<bool>& StopFlag() const { return *stop_; }

  private:
    template <class Call>
    static void Deliver(const QPointer<QObject>& receiver,
                        const std::shared_ptr<std::atomic<bool>>& stop, Call call) {
        QObject* target = receiver.data();
        if (target == nullptr || stop->load()) {
            return;
        }
        // Queued to the receiver: Qt drops the call with the receiver when it goes first.
        QMetaObject::invokeMethod(
            target,
            [stop, call = std::move(call)]() mutable {
                if (!stop->load()) {
                    call();
                }
            },
            Qt::QueuedConnection);
    }

    QPointer<QObject> receiver_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace qx7::gui
