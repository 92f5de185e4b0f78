#include "support/ProgramRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace qx7::test {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const TempDir& scratch, const std::string& zone,
                         const std::string& lang) {
    std::string command = "env -u LC_ALL -u LC_MESSAGES LANG=" + ShellQuote(lang) +
                          " TZ=" + ShellQuote(zone) + " " + ShellQuote(program);
    for (const auto& arg : args) {
        command += " " + ShellQuote(arg);
    }
    const std::string out = scratch.File(".stdout");
    const std::string err = scratch.File(".stderr");
    command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int status = std::system(command.c_str());
    ProgramResult result;
    result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

}  // namespace qx7::test
