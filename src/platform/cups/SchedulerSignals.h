#pragma once
// Signals as a filter or backend that the CUPS scheduler runs needs them, whatever it inherited:
// SIGTERM (the scheduler's cancel) ends the program at once; SIGPIPE is ignored, so that a
// partner that went away answers a write with EPIPE instead of killing the job's program.

namespace qx7 {

void UseSchedulerSignals();

}  // namespace qx7
