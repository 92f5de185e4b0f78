#pragma once
// A generated log written by a forked child, so that the benchmark's own process never holds
// the log's bytes and the peak memory it reports stays its own.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "loggen/LogBuilder.h"
#include "loggen/Scenario.h"

namespace qx7::bench {

enum class RingSize {
    kAsGiven,        // the options' ring: the printer's, which drops the oldest entries
    kEveryEntryKept  // big enough for every entry written
};

// Writes the log the options describe to path; false when the child could not.
inline bool GenerateLogInChild(const std::string& path, loggen::ScenarioOptions options,
                               loggen::LogForm form, RingSize ring = RingSize::kAsGiven) {
    const pid_t child = fork();
    if (child == 0) {
        if (ring == RingSize::kEveryEntryKept) {
            loggen::ScenarioSummary summary;
            loggen::GenerateEntryWords(options, &summary);
            options.ringWords = summary.wordsWritten + 64;
        }
        _exit(loggen::WriteBytes(path, loggen::GenerateLog(options, form)) ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace qx7::bench
