// qx7log csv: the log as a CSV file, one record an entry with its parameter words.

#include "cli/qx7log/LogExportCommand.h"

namespace qx7::cli {
namespace {

const LogCommandRegistration kRegistration(11, [](CLI::App& root) {
    auto request = std::make_shared<LogExportRequest>();
    request->csv = true;
    CLI::App* command = root.add_subcommand(
        "csv", "Write the log as CSV (default output: the log path up to its last dot + .csv)");
    AddLogExportOptions(*command, *request);
    return LogCommand{command, [request](const LogToolContext& context) {
                          return RunLogExport(context, *request);
                      }};
});

}  // namespace
}  // namespace qx7::cli
