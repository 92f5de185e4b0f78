#pragma once
// Where the companion maintenance tool is found on Linux. The window starts what this answers,
// detached, and shows message 5101 when nothing is found or the start fails.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qx7 {

inline constexpr char kMaintenanceToolName[] = "qx7-maintenance";
// "QX-7 Maintenance Tool could not be started. ..."
inline constexpr int kMsgMaintenanceToolMissing = 5101;

// Answers whether a path names an executable regular file.
using ExecutableFileTest = std::function<bool(const std::string& path)>;

// The tool beside the program first (a tool installed with it belongs to it), then the absolute
// folders of PATH in their order. Empty and relative PATH entries are skipped: they would
// depend on the current folder, which the log page changes. nullopt when none is executable.
// programDirectory may end with a separator or not; empty means unknown.
std::optional<std::string> FindMaintenanceTool(std::string_view pathVariable,
                                               std::string_view programDirectory,
                                               const ExecutableFileTest& isExecutableFile);

}  // namespace qx7
