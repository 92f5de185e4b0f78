#pragma once
// A port monitor on a real socket whose manners a test chooses: it answers the printer ready and
// takes jobs at once, except at one step, where it never answers or drips its answer one byte at
// a time. Every connection is served on a thread of its own; Release() ends them all.

#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace qx7::test {

class FakeMonitor {
  public:
    enum class Step { kNone, kReadyCheck, kStartDoc, kWrite, kReplyRead };
    enum class Manner { kSilent, kDrip };

    FakeMonitor(const std::string& socketPath, Step step, Manner manner, int dripIntervalMs = 1500);
    ~FakeMonitor();
    FakeMonitor(const FakeMonitor&) = delete;
    FakeMonitor& operator=(const FakeMonitor&) = delete;

    bool Listening() const { return listener_ >= 0; }
    // Stops listening and ends every connection, silent or dripping, at once.
    void Release();

    // Requests received so far, by kind.
    std::atomic<int> readyChecks{0};
    std::atomic<int> documents{0};
    std::atomic<int> writes{0};
    std::atomic<int> replyReads{0};

  private:
    void AcceptLoop();
    void Serve(int fd);
    // Holds the answer back (silent) or sends it a byte at a time; returns when the client has
    // gone or Release() was called.
    void Stall(int fd, const std::string& frame);
    bool WaitReleased(int milliseconds);

    std::string path_;
    Step step_;
    Manner manner_;
    int dripIntervalMs_;
    int listener_ = -1;
    std::mutex mutex_;
    std::condition_variable released_;
    bool releasedFlag_ = false;
    std::list<int> connections_;
    std::list<std::thread> threads_;
    std::thread acceptor_;
};

}  // namespace qx7::test
