// qx7log text: the log as a text file, one line an entry.

#include "cli/qx7log/LogExportCommand.h"

namespace qx7::cli {
namespace {

const LogCommandRegistration kRegistration(10, [](CLI::App& root) {
    auto request = std::make_shared<LogExportRequest>();
    CLI::App* command = root.add_subcommand(
        "text", "Write the log as text (default output: LOG.txt beside the log)");
    AddLogExportOptions(*command, *request);
    command->add_flag("--ext", request->extendedData,
                      "Show the raw parameter words instead of the decoded parameters");
    return LogCommand{command, [request](const LogToolContext& context) {
                          return RunLogExport(context, *request);
                      }};
});

}  // namespace
}  // namespace qx7::cli
