#pragma once
// The program's version as the two menu pages show it.

#include <string>
#include <string_view>

#include "core/app/PageFlow.h"

namespace qx7 {

struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;
};

// The version this program was built as (the project's version in CMake).
ProgramVersion BuiltProgramVersion();

// "%u.%u.%u.%u": major, minor, build, revision.
std::string VersionLine(const ProgramVersion& version);

// The text of the version field 1093 of a menu page: "QX-7 Service Tool for User: Version "
// (133) or "QX-7 Service Tool : Version " (156) followed by the line; empty for other pages.
std::string MenuVersionText(PageId page, std::string_view versionLine);

}  // namespace qx7
