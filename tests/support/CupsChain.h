#pragma once
// A queue's filter and backend wired as the CUPS scheduler wires them, without a scheduler and
// without root: the filter's standard output is the backend's standard input, the back channel
// runs from the backend's descriptor 3 to the filter's descriptor 3, and both hold one end of
// the side-channel socket at descriptor 4. Either side is a program, or a test function run in
// a forked child with those descriptors in place, so that a test can play a printer (or a
// filter) that misbehaves on purpose.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace qx7::test {

// What a side played by a test function reads its standard input through: a backend's reads
// are recorded as the bytes it received.
class ChainIo {
  public:
    explicit ChainIo(int recordFd) : record_(recordFd) {}
    // The next bytes of standard input (waits for them); 0 at its end, -1 on an error.
    ssize_t Read(void* buffer, std::size_t size);
    // Standard input to its end.
    std::string ReadAll();
    // What standard input holds at this moment, without waiting.
    std::string ReadAvailable();

  private:
    int record_;
};

struct ChainSide {
    // A program with its arguments (after argv[0]), extra environment and argv[0] (empty:
    // the program's path).
    static ChainSide Program(std::string program, std::vector<std::string> args, EnvList env = {},
                             std::string argv0 = "");
    // A test function run in a forked child.
    static ChainSide Function(std::function<int(ChainIo&)> function);

    std::string program;            // a program to run; empty: function
    std::string argv0;              // its argv[0]; empty: the program's path
    std::vector<std::string> args;  // the arguments after argv[0]
    EnvList env;                    // added to (or replacing in) the test's environment
    // Run in a forked child when there is no program; its result is the exit code.
    std::function<int(ChainIo&)> function;
    // Signals a program starts with ignored and blocked, as a careless parent leaves them.
    std::vector<int> inheritedIgnored;
};

// A filter's or backend's arguments: job-id user title copies options [file].
std::vector<std::string> CupsArgs(int jobId, const std::string& file = "");
// The environment the scheduler gives both sides of a QX-7 queue's command job.
EnvList CupsEnv(const std::string& deviceUri, const std::string& queue = "qx7");

struct SideResult {
    int exitCode = -1;   // -1 when it did not exit normally
    int signal = 0;      // the signal that ended it, if one did
    std::string err;     // everything it wrote on standard error
    double seconds = 0;  // from the start of the chain to its end
};

struct ChainResult {
    SideResult filter;
    SideResult backend;
    std::string received;  // what a function backend read through its ChainIo
};

class CupsChain {
  public:
    CupsChain(ChainSide filter, ChainSide backend);
    ~CupsChain();  // kills and reaps whatever still runs
    CupsChain(const CupsChain&) = delete;
    CupsChain& operator=(const CupsChain&) = delete;

    // Starts both sides, the input as the filter's standard input; false with the reason.
    bool Start(const std::string& input, std::string& error);
    pid_t FilterPid() const { return pid_[0]; }
    pid_t BackendPid() const { return pid_[1]; }
    // Waits until the filter has ended (at most timeoutMs); true when it has.
    bool WaitForFilter(int timeoutMs);
    // What the backend has written on standard error so far.
    std::string BackendErrSoFar() const;
    // Waits until both sides have ended (at most timeoutMs, then kills them) and collects
    // what they left.
    ChainResult Wait(int timeoutMs = 30000);

  private:
    // Reaps the side if it has ended; true when it has (now or before).
    bool Reap(int side);

    ChainSide side_[2];
    pid_t pid_[2] = {-1, -1};
    SideResult result_[2];
    double startedAt_ = 0;
    TempDir dir_;
};

// Runs a chain to its end.
ChainResult RunChain(const ChainSide& filter, const ChainSide& backend, const std::string& input,
                     int timeoutMs = 30000);

}  // namespace qx7::test
