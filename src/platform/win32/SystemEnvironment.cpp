#include "platform/SystemEnvironment.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

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
        return win32::Utf8FromWide(std::wstring_view(buffer.data(), length));
    }
    return {};
}

LanguageId SystemDefaultLanguage() {
    // Japanese in any region (1041 is Japanese, Japan) is Japanese; everything else English.
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? kJapanese : kEnglish;
}

}  // namespace qx7
