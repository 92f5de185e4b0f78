#pragma once

#include <cstdint>

namespace qx7 {

using LanguageId = std::uint16_t;
inline constexpr LanguageId kEnglish = 1033;
inline constexpr LanguageId kJapanese = 1041;

}  // namespace qx7
