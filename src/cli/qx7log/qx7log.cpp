// qx7log: the log viewers' work without a window.

#include <algorithm>
#include <clocale>
#include <cstdio>

#include "cli/common/StandardOutput.h"
#include "cli/common/Utf8Arguments.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "platform/SystemEnvironment.h"
#include "platform/TextEncoding.h"

namespace qx7::cli {

std::vector<RegisteredLogCommand>& RegisteredLogCommands() {
    static std::vector<RegisteredLogCommand> commands;
    return commands;
}

LogCommandRegistration::LogCommandRegistration(int order, LogCommandSetup setup) {
    RegisteredLogCommands().push_back({order, std::move(setup)});
}

}  // namespace qx7::cli

int main(int argc, char** argv) {
    using namespace qx7;
    using namespace qx7::cli;
    std::setlocale(LC_ALL, "C");
    UseBinaryStandardOutput();
    Utf8Arguments arguments(argc, argv);
    // Every command ends at once on a signal and leaves no temporary behind.
    CatchInterrupts();

    CLI::App app{"QX-7 saved printer logs: export, information, analysis, settings, statistics",
                 "qx7log"};
    app.require_subcommand(1);
    // The same options on every system: on Windows "/path" is a file, not an option.
    app.allow_windows_style_options(false);
    // --lang and --encoding are taken after the command's name too ("qx7log text LOG --lang
    // ja"); a command's own option of the same name (stats --encoding) comes first.
    app.fallthrough();
    std::string lang;
    app.add_option("--lang", lang, "Language of the texts: en or ja (default: the environment's)")
        ->check(CLI::IsMember({"en", "ja"}));
    std::string encoding = SystemTextEncodingName();
    const CLI::Option* encodingOption = app.add_option(
        "--encoding", encoding,
        "Encoding of the texts written (UTF-8, CP932 ...; default " + encoding + ")");

    auto& registered = RegisteredLogCommands();
    std::stable_sort(registered.begin(), registered.end(),
                     [](const auto& a, const auto& b) { return a.order < b.order; });
    std::vector<LogCommand> commands;
    for (const auto& entry : registered) {
        commands.push_back(entry.setup(app));
    }

    try {
        app.parse(arguments.Count(), arguments.Values());
    } catch (const CLI::CallForHelp& e) {
        return CloseStandardOutput("qx7log", app.exit(e));
    } catch (const CLI::CallForAllHelp& e) {
        return CloseStandardOutput("qx7log", app.exit(e));
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    LogToolContext context;
    context.language =
        lang.empty() ? SystemDefaultLanguage() : (lang == "ja" ? kJapanese : kEnglish);
    context.encoding = encoding;
    context.encodingGiven = encodingOption->count() > 0;
    for (const auto& command : commands) {
        if (command.command != nullptr && command.command->parsed()) {
            return CloseStandardOutput(context.programName, command.run(context));
        }
    }
    std::fputs("qx7log: no command given\n", stderr);
    return kExitUsage;
}
