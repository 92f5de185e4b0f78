#pragma once
// What the program decides at start from its own file name, its command line and the system's
// default language. Pure functions of the values handed in.

#include <string>
#include <string_view>
#include <vector>

#include "core/text/AsciiText.h"
#include "core/text/Language.h"

namespace qx7 {

struct StartupDecision {
    bool demoMode = false;
    LanguageId language = kEnglish;
};

// The file-name part of a path: from its last separator (included) to the end, when that
// separator stands after the first character; otherwise the whole path.
std::string_view FileNamePart(std::string_view path, char separator);

// The arguments of a command line given as one text: split at blanks and tabs, a part in double
// quotes kept whole (quotes dropped), as a Windows program receives its command line.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// True when one of the arguments is the demo switch "-demo" in any letter case. Only a whole
// argument counts, so a log path holding "-demo" is no switch, nor is the log named after
// "--browse"; arguments after "--" are names, never options.
bool HasDemoSwitch(const std::vector<std::string>& arguments);

// Demo mode when the lower-cased file-name part holds "demo" or an argument is the demo switch;
// English when the file-name part holds "eng", else Japanese only when the system language is
// Japanese. The arguments are those after the program path.
StartupDecision DecideStartup(std::string_view executablePath,
                              const std::vector<std::string>& arguments,
                              LanguageId systemLanguage, char separator);
// The same for a command line given as one text (SplitCommandLine); its first argument may be
// the program path, which is no switch whatever it holds.
StartupDecision DecideStartup(std::string_view executablePath, std::string_view commandLine,
                              LanguageId systemLanguage, char separator);

// A window can be opened: an X11 or Wayland display is named, or a Qt platform is chosen
// (such as "offscreen" for scripts and tests). Each value is the variable's, empty when unset.
bool DisplayNamed(std::string_view display, std::string_view waylandDisplay,
                  std::string_view qtPlatform);

}  // namespace qx7
