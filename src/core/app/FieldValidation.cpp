#include "core/app/FieldValidation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/text/StringTable.h"

namespace qx7 {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Length of the run of digits at `at`.
std::size_t DigitsAt(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return end - at;
}

}  // namespace

std::optional<double> ParseNumberText(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Checking the grammar first keeps out what the converter would also take (hex, "inf").
    std::size_t at = 0;
    const std::size_t whole = DigitsAt(text, at);
    at += whole;
    std::size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        ++at;
        fraction = DigitsAt(text, at);
        at += fraction;
    }
    if (whole + fraction == 0) {
        return std::nullopt;
    }
    const std::size_t mantissaEnd = at;
    bool exponentNegative = false;
    std::int64_t exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            exponentNegative = text[at] == '-';
            ++at;
        }
        const std::size_t digits = DigitsAt(text, at);
        if (digits == 0) {
            return std::nullopt;
        }
        for (std::size_t i = at; i < at + digits; ++i) {
            exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1000000);
        }
        at += digits;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large is no number; too small is zero. The decimal order of the first
        // significant digit tells which.
        std::int64_t order = 0;
        const std::size_t first = text.substr(0, mantissaEnd).find_first_of("123456789");
        if (first != std::string_view::npos) {
            order = first < whole ? static_cast<std::int64_t>(whole - first)
                                  : -static_cast<std::int64_t>(first - whole - 1);
        }
        order += exponentNegative ? -exponent : exponent;
        if (order > 0) {
            return std::nullopt;
        }
        value = 0;
    } else if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int64_t> ParseIntegerText(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || DigitsAt(text, 0) != text.size()) {
        return std::nullopt;
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : text) {
        const int digit = c - '0';
        if (value > (kLimit - digit) / 10) {
            value = kLimit;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string FormatNumberText(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string FillArguments(std::string_view text,
                          std::initializer_list<std::string_view> arguments) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < arguments.size()) {
                filled += *(arguments.begin() + index);
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

std::string ValidationText(LanguageId language, int number,
                           std::initializer_list<std::string_view> arguments) {
    std::string text;
    if (LoadLocalString(language, number, text) != 0) {
        return {};
    }
    return FillArguments(text, arguments);
}

IntegerFieldResult ReadIntegerField(std::string_view text, int low, int high, LanguageId language) {
    const auto value = ParseIntegerText(text);
    if (!value) {
        return {std::nullopt, ValidationText(language, kMsgEnterInteger)};
    }
    if (*value < low || *value > high) {
        return {std::nullopt, ValidationText(language, kMsgEnterIntegerBetween,
                                             {std::to_string(low), std::to_string(high)})};
    }
    return {static_cast<int>(*value), {}};
}

}  // namespace qx7
