#pragma once
// Reading numbers typed into edit fields and the texts shown when they do not fit, the same for
// every page and dialog: a number is read with the C conventions whatever the user's locale, and
// shown in the general format with 15 significant digits.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/Language.h"

namespace qx7 {

inline constexpr int kMsgEnterNumber = 5110;           // "Enter a number."
inline constexpr int kMsgEnterIntegerBetween = 5111;   // "Enter an integer between %1 and %2."
inline constexpr int kMsgEnterInteger = 5112;          // "Enter an integer."
inline constexpr int kMsgEnterPositiveInteger = 5113;  // "Enter a positive integer."

// A decimal number: blanks or tabs around it, an optional sign, digits with an optional
// fraction (".5" and "5." count), an optional exponent. Anything else, and any text whose value
// is not finite ("nan", "inf", "1e999"), is no number.
std::optional<double> ParseNumberText(std::string_view text);

// An integer: blanks or tabs around it, an optional sign, digits. Values beyond the 64-bit range
// saturate, so they fail any range check rather than the integer check.
std::optional<std::int64_t> ParseIntegerText(std::string_view text);

// "%.15g" in the C locale: 20.0 gives "20", 21.11 gives "21.11".
std::string FormatNumberText(double value);

// Replaces %1 to %9 by the arguments in turn; a marker without an argument stays as it is.
std::string FillArguments(std::string_view text, std::initializer_list<std::string_view> arguments);

// The validation text of the given number in the language, arguments filled in; empty when the
// table has no such entry.
std::string ValidationText(LanguageId language, int number,
                           std::initializer_list<std::string_view> arguments = {});

// An integer field with its range: the value, or the text to show ("Enter an integer." for text
// that is no integer, "Enter an integer between LOW and HIGH." for one outside the range).
struct IntegerFieldResult {
    std::optional<int> value;
    std::string message;
};
IntegerFieldResult ReadIntegerField(std::string_view text, int low, int high, LanguageId language);

}  // namespace qx7
