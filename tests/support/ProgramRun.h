#pragma once
// Runs a built program as a user would, through the shell, and collects what it printed.

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace qx7::test {

struct ProgramResult {
    int exit = -1;  // -1 when the program did not end normally (a crash)
    std::string out;
    std::string err;
};

// Runs `program args...` with LC_ALL and LC_MESSAGES unset, LANG and TZ set as given; the
// captured output goes through files in `scratch`.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const TempDir& scratch, const std::string& zone = "UTC",
                         const std::string& lang = "C");

// The text quoted for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace qx7::test
