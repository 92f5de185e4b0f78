#include "platform/cups/SchedulerSignals.h"

#include <csignal>

namespace qx7 {

void UseSchedulerSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &terminate, nullptr);
}

}  // namespace qx7
