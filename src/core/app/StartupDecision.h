#pragma once
// What the program decides at start from its own file name, its command line and the system's
// default language. Pure functions of the values handed in.

#include <string>
#include <string_view>

#include "core/app/Language.h"

namespace qx7 {

struct StartupDecision {
    bool demoMode = false;
    LanguageId language = kEnglish;
};

// The file-name part of a path: from its last separator (included) to the end, when that
// separator stands after the first character; otherwise the whole path.
std::string_view FileNamePart(std::string_view path, char separator);

// ASCII lower case; other bytes (UTF-8 sequences) unchanged.
std::string AsciiLower(std::string_view text);

// Demo mode when the lower-cased file-name part holds "demo" or the lower-cased command line
// holds "-demo"; English when the file-name part holds "eng", else Japanese only when the system
// language is Japanese.
StartupDecision DecideStartup(std::string_view executablePath, std::string_view commandLine,
                              LanguageId systemLanguage, char separator);

// The language a locale name stands for: a name starting with "ja" is Japanese.
LanguageId LanguageFromLocaleName(std::string_view localeName);

}  // namespace qx7
