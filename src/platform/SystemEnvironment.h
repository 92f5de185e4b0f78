#pragma once
// What the operating system tells about the running program: its path, its language.

#include <string>

#include "core/text/Language.h"

namespace qx7 {

// The full path of the running executable; empty when the system does not tell.
std::string ExecutablePath();

// The system's default language: the first set of LC_ALL, LC_MESSAGES, LANG; "ja..." is
// Japanese, everything else (and nothing set) English.
LanguageId SystemDefaultLanguage();

}  // namespace qx7
