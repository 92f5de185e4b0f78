#include "core/app/StartupDecision.h"

namespace qx7 {

std::string_view FileNamePart(std::string_view path, char separator) {
    const std::size_t last = path.rfind(separator);
    if (last == std::string_view::npos || last == 0) {
        return path;
    }
    return path.substr(last);
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

StartupDecision DecideStartup(std::string_view executablePath, std::string_view commandLine,
                              LanguageId systemLanguage, char separator) {
    StartupDecision decision;
    const std::string fileName = AsciiLower(FileNamePart(executablePath, separator));
    if (fileName.find("demo") != std::string::npos) {
        decision.demoMode = true;
    }
    if (fileName.find("eng") != std::string::npos) {
        decision.language = kEnglish;
    } else {
        decision.language = systemLanguage == kJapanese ? kJapanese : kEnglish;
    }
    if (AsciiLower(commandLine).find("-demo") != std::string::npos) {
        decision.demoMode = true;
    }
    return decision;
}

LanguageId LanguageFromLocaleName(std::string_view localeName) {
    return localeName.starts_with("ja") ? kJapanese : kEnglish;
}

}  // namespace qx7
