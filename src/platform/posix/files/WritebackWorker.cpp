#include "platform/posix/files/WritebackWorker.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "core/base/WorkerThread.h"

namespace qx7 {
namespace {

constexpr std::int64_t kSyncStepBytes = std::int64_t{8} << 20;
// How often the file's size is looked at: often enough that a sync starts soon after each
// step is written, rare enough to cost nothing.
constexpr auto kLookInterval = std::chrono::milliseconds(2);

}  // namespace

WritebackWorker::WritebackWorker(int fd)
    : fd_(fd),
      // Without a thread the output is synced at the end only, as it always was.
      thread_(StartWorkerThread([this] { Run(); })) {}

WritebackWorker::~WritebackWorker() {
    Stop();
}

int WritebackWorker::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    return error_;
}

void WritebackWorker::Run() {
    std::int64_t synced = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kLookInterval, [this] { return stopping_; })) {
        struct stat status {};
        if (::fstat(fd_, &status) != 0 || status.st_size - synced < kSyncStepBytes) {
            continue;
        }
        lock.unlock();
        const int error = ::fdatasync(fd_) == 0 ? 0 : errno;
        lock.lock();
        if (error != 0) {
            // The final sync reports it; syncing on would only meet it again.
            error_ = error;
            return;
        }
        synced = status.st_size;
    }
}

}  // namespace qx7
