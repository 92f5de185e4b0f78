#pragma once
// ASCII text: letter case, for switches, names and encodings that compare without case; the
// value of a hexadecimal digit.

#include <string>
#include <string_view>

namespace qx7 {

// ASCII lower case; other bytes (UTF-8 sequences) unchanged.
std::string AsciiLower(std::string_view text);

// 0 to 15 for 0-9, a-f and A-F; -1 for any other byte.
int AsciiHexDigit(char c);

}  // namespace qx7
