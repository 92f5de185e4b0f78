#pragma once
// The firmware's log codes and their descriptions in English and Japanese. The rows are data
// (res/codes/firm_log_codes.txt) compiled into the program and parsed once.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Language.h"

namespace qx7 {

// The row every code missing from the table falls to.
inline constexpr std::uint32_t kUnknownLogCode = 0x99990000;

struct FirmLogCodeRow {
    std::uint32_t code = 0;
    std::string english;   // UTF-8
    std::string japanese;  // UTF-8
};

class CFirmLogCode {
  public:
    // Appends the description of `code` in `language` (Japanese for 1041, English otherwise).
    void Lookup(std::string& text, std::uint32_t code, LanguageId language) const;
    // The same text without copying; it lives as long as the program.
    std::string_view Describe(std::uint32_t code, LanguageId language) const;

    // All rows in table order, the terminator last.
    static std::span<const FirmLogCodeRow> Rows();

    // Parses a table text (lines of: code in hex with 0x, blank, English text in double
    // quotes, blank, Japanese text in double quotes; # comments and blank lines ignored).
    // nullopt on a malformed line (1-based number in errorLine) or when the last row is not
    // the terminator.
    static std::optional<std::vector<FirmLogCodeRow>> Parse(std::string_view tableText,
                                                            int* errorLine = nullptr);
};

}  // namespace qx7
