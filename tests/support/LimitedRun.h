#pragma once
// Running a program under a memory limit, its standard output read as it comes and not kept:
// a listing of tens of millions of lines must not fill the test's memory or disk either.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace qx7::test {

struct LimitedRunResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string err;
    std::uint64_t outBytes = 0;
    std::uint64_t outLines = 0;
    std::string firstLine;  // of standard output, without its line end
    std::string lastLine;
    long peakKiB = -1;  // the child's high-water resident size (getrusage)
};

// Runs the program with its address space limited to `limitBytes` (RLIMIT_AS).
LimitedRunResult RunWithAddressSpaceLimit(const std::string& program,
                                          const std::vector<std::string>& args,
                                          std::uint64_t limitBytes, const EnvList& env = {});

// Runs `check` in a forked child whose files may grow to `limitBytes` at the most (RLIMIT_FSIZE,
// SIGXFSZ ignored, so a write past it fails with EFBIG as on a full disk); true when the child
// ended normally and `check` answered true.
bool PassesUnderFileSizeLimit(std::uint64_t limitBytes, const std::function<bool()>& check);

}  // namespace qx7::test
