#pragma once
// qx7log is one program with several commands; each command lives in a file of its own and
// registers itself here, so adding one touches no other file.

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

#include "core/text/Language.h"

namespace qx7::cli {

// Exit codes shared by every qx7log command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct LogToolContext {
    LanguageId language = kEnglish;  // from --lang, else the environment
    std::string encoding = "UTF-8";  // --encoding: the encoding of the texts written
    bool encodingGiven = false;      // --encoding was on the command line (else the system's)
    std::string programName = "qx7log";
};

struct LogCommand {
    CLI::App* command = nullptr;
    // Runs after a successful parse when this command was chosen; answers the exit code.
    std::function<int(const LogToolContext&)> run;
};

// Adds the command's subcommand and options to the root application.
using LogCommandSetup = std::function<LogCommand(CLI::App& root)>;

// Put one static object of this type in each command's file; `order` sorts the help listing.
struct LogCommandRegistration {
    LogCommandRegistration(int order, LogCommandSetup setup);
};

struct RegisteredLogCommand {
    int order;
    LogCommandSetup setup;
};
std::vector<RegisteredLogCommand>& RegisteredLogCommands();

}  // namespace qx7::cli
