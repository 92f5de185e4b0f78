#pragma once
// Letter case of ASCII text, for switches, names and encodings that compare without case.

#include <string>
#include <string_view>

namespace qx7 {

// ASCII lower case; other bytes (UTF-8 sequences) unchanged.
std::string AsciiLower(std::string_view text);

}  // namespace qx7
