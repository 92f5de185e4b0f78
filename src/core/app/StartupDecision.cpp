#include "core/app/StartupDecision.h"

namespace qx7 {

std::string_view FileNamePart(std::string_view path, char separator) {
    const std::size_t last = path.rfind(separator);
    if (last == std::string_view::npos || last == 0) {
        return path;
    }
    return path.substr(last);
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

bool HasDemoSwitch(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "--browse") {
            ++i;  // its log, whatever it is called
        } else if (AsciiLower(argument) == "-demo") {
            return true;
        }
    }
    return false;
}

StartupDecision DecideStartup(std::string_view executablePath, std::string_view commandLine,
                              LanguageId systemLanguage, char separator) {
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    // The program path leads a full command line; an argument list alone starts with an option
    // or a log, never with the program itself.
    if (!arguments.empty() && !arguments.front().starts_with('-') &&
        (arguments.front() == executablePath ||
         FileNamePart(arguments.front(), separator) == FileNamePart(executablePath, separator))) {
        arguments.erase(arguments.begin());
    }
    return DecideStartup(executablePath, arguments, systemLanguage, separator);
}

StartupDecision DecideStartup(std::string_view executablePath,
                              const std::vector<std::string>& arguments,
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
    if (HasDemoSwitch(arguments)) {
        decision.demoMode = true;
    }
    return decision;
}

bool DisplayNamed(std::string_view display, std::string_view waylandDisplay,
                  std::string_view qtPlatform) {
    return !display.empty() || !waylandDisplay.empty() || !qtPlatform.empty();
}

}  // namespace qx7
