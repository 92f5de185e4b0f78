#include "core/app/MaintenanceToolLaunch.h"

namespace qx7 {
namespace {

std::string InFolder(std::string_view folder) {
    std::string path(folder);
    if (path.back() != '/') {
        path += '/';
    }
    return path + kMaintenanceToolName;
}

}  // namespace

std::optional<std::string> FindMaintenanceTool(std::string_view pathVariable,
                                               std::string_view programDirectory,
                                               const ExecutableFileTest& isExecutableFile) {
    if (!programDirectory.empty()) {
        std::string candidate = InFolder(programDirectory);
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    while (!pathVariable.empty()) {
        const std::size_t colon = pathVariable.find(':');
        const std::string_view folder = pathVariable.substr(0, colon);
        pathVariable =
            colon == std::string_view::npos ? std::string_view() : pathVariable.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') {
            continue;
        }
        std::string candidate = InFolder(folder);
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace qx7
