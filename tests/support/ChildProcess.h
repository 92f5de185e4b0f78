#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace qx7::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
    double seconds = 0;
};

using EnvList = std::vector<std::pair<std::string, std::string>>;

// Runs a program to its end, with extra environment variables, capturing both outputs.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const EnvList& env = {});

// A program left running in the background; stopped (SIGTERM, then SIGKILL) when destroyed.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& stderrFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return pid_ > 0; }
    // Sends the signal and waits (at most timeoutMs) for the end; the exit code, or -1.
    int Stop(int signal, int timeoutMs = 5000);

  private:
    pid_t pid_ = -1;
};

// Waits until the path exists (at most timeoutMs).
bool WaitForPath(const std::string& path, int timeoutMs = 5000);

}  // namespace qx7::test
