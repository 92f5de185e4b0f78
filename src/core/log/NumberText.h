#pragma once
// Numbers written straight into a character buffer, as printf's "%0*d" and "%0*X" write them
// in the C locale, for the lines of the exports: no locale, no format parsing, no allocation.
// The caller's buffer must hold the result: kMaxNumberText covers any int64 with its sign and
// any width up to 20.

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace qx7 {

inline constexpr std::size_t kMaxNumberText = 24;

inline constexpr std::uint64_t kPowersOfTen[9] = {1,      10,      100,      1000,     10000,
                                                  100000, 1000000, 10000000, 100000000};

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// printf's "%0*d": zeros up to `width`, the sign counting towards it. Answers the end.
inline char* PutDecimal(char* out, std::int64_t value, std::size_t width) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    if (value < 0) {
        *out++ = '-';
        width = width > 0 ? width - 1 : 0;
    }
    if (width <= 1) {
        // Most values are 32-bit ones (parameter words): their digits come cheaper.
        if (magnitude <= UINT32_MAX) {
            return std::to_chars(out, out + 10, static_cast<std::uint32_t>(magnitude)).ptr;
        }
        return std::to_chars(out, out + 20, magnitude).ptr;
    }
    // The common case of the line numbers and years: the digits fill the width exactly.
    if (width <= 8 && magnitude < kPowersOfTen[width]) {
        auto rest = static_cast<std::uint32_t>(magnitude);
        std::size_t i = width;
        for (; i >= 2; i -= 2) {
            const char* pair = kDigitPairs + 2 * (rest % 100);
            out[i - 1] = pair[1];
            out[i - 2] = pair[0];
            rest /= 100;
        }
        if (i == 1) {
            out[0] = static_cast<char>('0' + rest);
        }
        return out + width;
    }
    char digits[20];
    const char* end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    for (std::size_t i = length; i < width; ++i) {
        *out++ = '0';
    }
    for (std::size_t i = 0; i < length; ++i) {
        *out++ = digits[i];
    }
    return out;
}

// printf's "%0*X" of an unsigned 32-bit value. Answers the end.
inline char* PutHex(char* out, std::uint32_t value, std::size_t width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::size_t length = 1;
    while (length < 8 && (value >> (4 * length)) != 0) {
        ++length;
    }
    for (std::size_t i = length; i < width; ++i) {
        *out++ = '0';
    }
    for (std::size_t i = length; i-- > 0;) {
        *out++ = kDigits[(value >> (4 * i)) & 0xF];
    }
    return out;
}

// "%02d", with a shortcut for the two digits of clock and calendar fields.
inline char* PutTwo(char* out, int value) {
    if (value >= 0 && value < 100) {
        out[0] = static_cast<char>('0' + value / 10);
        out[1] = static_cast<char>('0' + value % 10);
        return out + 2;
    }
    return PutDecimal(out, value, 2);
}

}  // namespace qx7
