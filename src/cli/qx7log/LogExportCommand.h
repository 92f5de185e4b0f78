#pragma once
// The work of `qx7log text` and `qx7log csv`: options, output rules and error lines.

#include <string>

#include "cli/qx7log/LogCommand.h"
#include "core/export/LogExport.h"

namespace qx7::cli {

struct LogExportRequest {
    bool csv = false;
    std::string logPath;
    std::string outPath;  // empty: the default beside the log
    std::string types = "ewi";
    bool extendedData = false;
    bool force = false;
};

// "--types": any of the letters e (errors), w (warnings) and i (information).
void AddEntryTypesOption(CLI::App& command, std::string& types);
// The entry types those letters name.
LogTypeFilter EntryTypesFromLetters(const std::string& types);

// Adds the options both commands share to `command`.
void AddLogExportOptions(CLI::App& command, LogExportRequest& request);

int RunLogExport(const LogToolContext& context, const LogExportRequest& request);

}  // namespace qx7::cli
