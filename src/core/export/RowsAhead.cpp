#include "core/export/RowsAhead.h"

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#endif

#include <system_error>
#include <utility>

namespace qx7 {

RowsAhead::RowsAhead(Maker maker, std::size_t queueBytes)
    : maker_(std::move(maker)), queueBytes_(queueBytes) {
#ifndef _WIN32
    // Signals stay with the threads the program made itself.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
#endif
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: Drain makes the rows itself.
    }
#ifndef _WIN32
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
}

RowsAhead::~RowsAhead() {
    Stop();
}

void RowsAhead::Run() {
    try {
        maker_([this](std::string row) { Put(std::move(row)); }, stopped_);
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

void RowsAhead::Put(std::string row) {
    std::unique_lock<std::mutex> guard(lock_);
    // An empty queue takes a row however long: the queue never stalls on it.
    changed_.wait(guard, [this] { return stopped_.load() || rows_.empty() || bytes_ < queueBytes_; });
    if (stopped_.load()) {
        return;
    }
    // Each row counts with its holder, so that many short rows are bounded too.
    bytes_ += row.size() + sizeof(std::string);
    rows_.push_back(std::move(row));
    guard.unlock();
    changed_.notify_all();
}

void RowsAhead::Drain(const std::function<void(std::string_view row)>& take) {
    if (!worker_.joinable()) {
        if (!done_) {
            done_ = true;
            maker_([&take](std::string row) { take(row); }, stopped_);
        }
        return;
    }
    for (;;) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [this] { return !rows_.empty() || done_; });
        if (rows_.empty()) {
            guard.unlock();
            worker_.join();
            if (failure_) {
                std::rethrow_exception(std::exchange(failure_, nullptr));
            }
            return;
        }
        // The whole queue at once: the maker goes on while these are written.
        std::deque<std::string> taken;
        taken.swap(rows_);
        bytes_ = 0;
        guard.unlock();
        changed_.notify_all();
        for (const std::string& row : taken) {
            take(row);
        }
    }
}

void RowsAhead::Stop() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stopped_.store(true);
        rows_.clear();
        bytes_ = 0;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

}  // namespace qx7
