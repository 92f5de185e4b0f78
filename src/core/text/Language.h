#pragma once
// The two languages of every text the programs show or write.

#include <cstdint>
#include <string_view>

namespace qx7 {

using LanguageId = std::uint16_t;
inline constexpr LanguageId kEnglish = 1033;
inline constexpr LanguageId kJapanese = 1041;

// The language a locale name stands for: a name starting with "ja" is Japanese.
inline LanguageId LanguageFromLocaleName(std::string_view localeName) {
    return localeName.starts_with("ja") ? kJapanese : kEnglish;
}

}  // namespace qx7
