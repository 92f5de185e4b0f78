#pragma once
// A program run with a pseudo-terminal as its standard output, for what a user sees on screen.

#include <string>
#include <vector>

namespace qx7::test {

struct TerminalRun {
    int exitCode = -1;  // -1 when the program did not exit normally (or could not be started)
    std::string shown;  // the bytes as the program wrote them (raw mode: no CR added before LF)
};

// Runs program with args (TZ=UTC) to its end, its standard output a terminal.
TerminalRun RunOnTerminal(const std::string& program, const std::vector<std::string>& args);

}  // namespace qx7::test
