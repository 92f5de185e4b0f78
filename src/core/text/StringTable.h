#pragma once
// The localised texts, English and Japanese, read from the tables built into the program.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/Language.h"

namespace qx7 {

class StringTable {
public:
    // Parses a table text (lines of: number, blank, C-escaped text in double quotes).
    // Malformed lines are reported through errorLine (1-based) and make the result empty.
    static std::optional<StringTable> Parse(std::string_view tableText, int* errorLine = nullptr);

    // The table of the given language as built into the program; every language other than
    // Japanese reads the English table.
    static const StringTable& BuiltIn(LanguageId language);

    // The entry's UTF-8 text, or nullopt when the table has no such entry.
    std::optional<std::string_view> Find(int number) const;

    const std::map<int, std::string>& Entries() const { return entries_; }

private:
    std::map<int, std::string> entries_;
};

// Longest text a string-table entry yields, in characters.
inline constexpr std::size_t kMaxLocalStringChars = 1023;

// Loads entry `number` in `language` into `text`. 0 on success; -100 when the language has no
// such entry or the entry is empty (text is left unchanged then).
int LoadLocalString(LanguageId language, int number, std::string& text);
// The same rule over a given table.
int LoadLocalString(const StringTable& table, int number, std::string& text);

}  // namespace qx7
