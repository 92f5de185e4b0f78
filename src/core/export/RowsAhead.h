#pragma once
// Rows of a file made on a thread of their own ahead of the writing that takes them, so that
// the making overlaps other work (the statistics make the job rows while the day file is
// written). The rows wait in a queue of bounded size (the writer holds at most as many again
// while it writes them): when it is full the maker waits, so memory stays small however many
// rows there are.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace qx7 {

class RowsAhead {
  public:
    // Takes one row; waits while the queue is full.
    using RowSink = std::function<void(std::string row)>;
    // Makes all rows in order through the sink. It should return soon once `stopped` is true:
    // the rows it makes then are dropped.
    using Maker = std::function<void(const RowSink& put, const std::atomic<bool>& stopped)>;

    static constexpr std::size_t kDefaultQueueBytes = 4U << 20;

    // Starts the maker at once; where no thread can be had, it runs within Drain instead.
    explicit RowsAhead(Maker maker, std::size_t queueBytes = kDefaultQueueBytes);
    // Stops the maker and waits for it.
    ~RowsAhead();
    RowsAhead(const RowsAhead&) = delete;
    RowsAhead& operator=(const RowsAhead&) = delete;

    // Hands the rows over in their order until the last one; an exception of the maker comes
    // out here. Once only.
    void Drain(const std::function<void(std::string_view row)>& take);
    // The rows are not needed: the maker is told to stop and the queue is emptied.
    void Stop();

  private:
    void Run();
    void Put(std::string row);

    Maker maker_;
    const std::size_t queueBytes_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::string> rows_;
    std::size_t bytes_ = 0;
    bool done_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> stopped_{false};
    std::thread worker_;
};

}  // namespace qx7
