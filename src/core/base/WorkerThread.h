#pragma once
// Threads the program starts for work of its own (inflating, formatting, syncing, making rows
// ahead): one way to start them, so each blocks every signal (the end signals' handler runs on
// the threads that write the outputs) and a system that gives no thread never throws out of
// the caller, which then does the work itself.

#include <functional>
#include <thread>

namespace qx7 {

// Not joinable when the system gives no thread.
std::thread StartWorkerThread(std::function<void()> work);

}  // namespace qx7
