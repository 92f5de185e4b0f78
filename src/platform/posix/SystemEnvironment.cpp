#include "platform/SystemEnvironment.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "core/text/Language.h"

namespace qx7 {

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

LanguageId SystemDefaultLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return LanguageFromLocaleName(value);
        }
    }
    return kEnglish;
}

}  // namespace qx7
