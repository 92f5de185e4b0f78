#pragma once
// Hands the data of an output file to the disk while more is still being written. The output's
// final fsync has to wait for every byte to reach the disk; on a virtual disk that wait grows
// with the size (about 95 ms for a 57 MB export, as long as the export's own work). A thread
// that syncs each further 8 MiB as it arrives leaves the final fsync little to wait for.
//
// The thread only ever syncs; a failure is kept for the owner, because the system reports a
// failed write-back to one sync of a file description only, and the final one may not see it.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace qx7 {

class WritebackWorker {
  public:
    // Starts syncing `fd`, which must stay open until the worker is destroyed.
    explicit WritebackWorker(int fd);
    // Stops the thread; a sync under way is finished first.
    ~WritebackWorker();
    WritebackWorker(const WritebackWorker&) = delete;
    WritebackWorker& operator=(const WritebackWorker&) = delete;

    // Stops the thread and answers the errno of the first failed sync, 0 when none failed.
    int Stop();

  private:
    void Run();

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int error_ = 0;
    std::thread thread_;
};

}  // namespace qx7
