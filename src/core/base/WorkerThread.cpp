#include "core/base/WorkerThread.h"

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#endif

#include <system_error>
#include <utility>

namespace qx7 {

std::thread StartWorkerThread(std::function<void()> work) {
#ifndef _WIN32
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
#endif
    std::thread worker;
    try {
        worker = std::thread(std::move(work));
    } catch (const std::system_error&) {
        // No thread to be had: the caller does the work itself.
    }
#ifndef _WIN32
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
    return worker;
}

}  // namespace qx7
