#pragma once
// Items of a file (rows, or what rows are made from) made on a thread of their own ahead of the
// writing that takes them, so that the making overlaps other work (the statistics walk for the
// jobs while the day file is written). The items wait in a queue of bounded size (the writer
// holds at most as many again while it takes them): when it is full the maker waits, so memory
// stays small however many items there are.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "core/base/WorkerThread.h"

namespace qx7 {

template <typename Item>
class MadeAhead {
  public:
    // Takes one item; waits while the queue is full.
    using Sink = std::function<void(Item item)>;
    // Makes all items in order through the sink. It should return soon once `stopped` is true:
    // the items it makes then are dropped.
    using Maker = std::function<void(const Sink& put, const std::atomic<bool>& stopped)>;
    // The memory an item holds, its own size included.
    using Measure = std::function<std::size_t(const Item& item)>;

    static constexpr std::size_t kDefaultQueueBytes = 4U << 20;

    // Starts the maker at once; where no thread can be had, it runs within Drain instead.
    MadeAhead(Maker maker, Measure measure, std::size_t queueBytes = kDefaultQueueBytes)
        : maker_(std::move(maker)), measure_(std::move(measure)), queueBytes_(queueBytes) {
        worker_ = StartWorkerThread([this] { Run(); });
    }
    // Stops the maker and waits for it.
    ~MadeAhead() { Stop(); }
    MadeAhead(const MadeAhead&) = delete;
    MadeAhead& operator=(const MadeAhead&) = delete;

    // Hands the items over in their order until the last one; an exception of the maker comes
    // out here. Once only.
    void Drain(const std::function<void(Item& item)>& take) {
        if (!worker_.joinable()) {
            if (!done_) {
                done_ = true;
                maker_([&take](Item item) { take(item); }, stopped_);
            }
            return;
        }
        for (;;) {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [this] { return !items_.empty() || done_; });
            if (items_.empty()) {
                guard.unlock();
                worker_.join();
                if (failure_) {
                    std::rethrow_exception(std::exchange(failure_, nullptr));
                }
                return;
            }
            // The whole queue at once: the maker goes on while these are taken.
            std::deque<Item> taken;
            taken.swap(items_);
            bytes_ = 0;
            guard.unlock();
            changed_.notify_all();
            for (Item& item : taken) {
                take(item);
            }
        }
    }

    // The items are not needed: the maker is told to stop and the queue is emptied.
    void Stop() {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            stopped_.store(true);
            items_.clear();
            bytes_ = 0;
        }
        changed_.notify_all();
        if (worker_.joinable()) {
            worker_.join();
        }
    }

  private:
    void Run() {
        try {
            maker_([this](Item item) { Put(std::move(item)); }, stopped_);
        } catch (...) {
            const std::lock_guard<std::mutex> guard(lock_);
            failure_ = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> guard(lock_);
            done_ = true;
        }
        changed_.notify_all();
    }

    void Put(Item item) {
        const std::size_t size = measure_(item);
        std::unique_lock<std::mutex> guard(lock_);
        // An empty queue takes an item however large: the queue never stalls on it.
        changed_.wait(guard,
                      [this] { return stopped_.load() || items_.empty() || bytes_ < queueBytes_; });
        if (stopped_.load()) {
            return;
        }
        bytes_ += size;
        items_.push_back(std::move(item));
        guard.unlock();
        changed_.notify_all();
    }

    Maker maker_;
    Measure measure_;
    const std::size_t queueBytes_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Item> items_;
    std::size_t bytes_ = 0;
    bool done_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> stopped_{false};
    std::thread worker_;
};

}  // namespace qx7
