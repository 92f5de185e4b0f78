#include "core/app/VersionLine.h"

#include "core/app/PageFlow.h"
#include "core/app/ProgramVersion.h"

namespace qx7 {

ProgramVersion BuiltProgramVersion() {
    return {generated::kVersionMajor, generated::kVersionMinor, generated::kVersionBuild,
            generated::kVersionRevision};
}

std::string VersionLine(const ProgramVersion& version) {
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.build) + "." + std::to_string(version.revision);
}

std::string MenuVersionText(PageId page, std::string_view versionLine) {
    if (page == PageId::kPartsMenu) {
        return "QX-7 Service Tool for User: Version " + std::string(versionLine);
    }
    if (page == PageId::kOperationMenu) {
        return "QX-7 Service Tool : Version " + std::string(versionLine);
    }
    return {};
}

}  // namespace qx7
