#include "platform/SystemEnvironment.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace qx7 {

std::string ExecutablePath() {
    // Long paths (\\?\...) go past MAX_PATH: grow until the name fits.
    for (DWORD capacity = MAX_PATH; capacity <= 65536; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), capacity);
        if (length == 0) {
            return {};
        }
        if (length >= capacity) {
            continue;  // truncated
        }
        const int wideLength = static_cast<int>(length);
        const int size = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wideLength, nullptr, 0,
                                             nullptr, nullptr);
        if (size <= 0) {
            return {};
        }
        std::string path(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wideLength, path.data(), size, nullptr,
                            nullptr);
        return path;
    }
    return {};
}

LanguageId SystemDefaultLanguage() {
    // Japanese in any region (1041 is Japanese, Japan) is Japanese; everything else English.
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? kJapanese : kEnglish;
}

}  // namespace qx7
