#pragma once
// The simulator as a CUPS backend: a queue whose device URI is qx7sim://... sends its jobs to a
// simulated QX-7, which answers on the back channel as a printer on USB would.

namespace qx7::sim {

// Whether this run is a backend's: installed as the backend "qx7sim" (argv[0] is its path, or
// the device URI for a job), or run for a job with DEVICE_URI naming the scheme.
bool IsBackendRun(int argc, char** argv);

// Runs the backend: with no arguments (device discovery) it lists nothing; otherwise
// job-id user title copies options [file]. Returns the backend's exit status.
int RunBackend(int argc, char** argv);

}  // namespace qx7::sim
