#pragma once
// Texts of the data files under res/: double-quoted, with the C escapes \n \r \t \" \\.

#include <optional>
#include <string>
#include <string_view>

namespace qx7 {

// Reads one quoted text from the front of `rest` and moves `rest` past its closing quote;
// nullopt (rest unchanged) when it does not start with a quote, has an unknown escape or no
// closing quote.
std::optional<std::string> TakeQuoted(std::string_view& rest);

}  // namespace qx7
