#include "core/settings/MemEntry.h"

#include "core/text/AsciiText.h"

namespace qx7 {
namespace {

// The integer reader looks at no more than this many characters once blanks are gone.
constexpr std::size_t kIntegerChars = 11;
constexpr std::size_t kMaxHexDigits = 16;

std::string_view SkipLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace

bool ParseTemplateInteger(std::string_view field, std::int32_t& value) {
    std::string kept;
    for (const char c : field) {
        if (c != ' ' && c != '\r' && c != '\n') {
            kept.push_back(c);
        }
        if (kept.size() == kIntegerChars) {
            break;
        }
    }
    enum class State { Lead, Decimal, Hex };
    State state = State::Lead;
    bool negative = false;
    bool onlyZeros = true;  // every digit so far is 0 (allows "0x")
    bool anyDigit = false;
    std::uint32_t number = 0;
    for (const char c : kept) {
        const bool digit = c >= '0' && c <= '9';
        if (state == State::Lead) {
            if (c == '\t') {
                continue;
            }
            if (c == '-' && !negative) {
                negative = true;
                continue;
            }
            if (!digit) {
                return false;
            }
            state = State::Decimal;
        }
        if (state == State::Decimal) {
            if (digit) {
                anyDigit = true;
                onlyZeros = onlyZeros && c == '0';
                number = number * 10U + static_cast<std::uint32_t>(c - '0');
                continue;
            }
            if ((c == 'x' || c == 'X') && anyDigit && onlyZeros && !negative) {
                state = State::Hex;
                continue;
            }
            if (c == '\t' || c == '+') {
                break;
            }
            return false;
        }
        // Hexadecimal digits after "0x".
        const int nibble = AsciiHexDigit(c);
        if (nibble >= 0) {
            number = (number << 4) | static_cast<std::uint32_t>(nibble);
            continue;
        }
        if (c == '\t') {
            break;
        }
        return false;
    }
    if (negative) {
        number = 0U - number;
    }
    value = static_cast<std::int32_t>(number);
    return true;
}

bool ParseTemplateHex(std::string_view digits, std::uint64_t& value) {
    std::string kept;
    for (const char c : digits) {
        if (c != ' ') {
            kept.push_back(c);
        }
    }
    while (!kept.empty() && kept.back() == '\t') {
        kept.pop_back();
    }
    if (kept.empty() || kept.size() > kMaxHexDigits) {
        return false;
    }
    std::uint64_t number = 0;
    for (const char c : kept) {
        const int nibble = AsciiHexDigit(c);
        if (nibble < 0) {
            return false;
        }
        number = (number << 4) | static_cast<std::uint64_t>(nibble);
    }
    value = number;
    return true;
}

bool CMemEntry::ParseDefault(std::string_view defaultText) {
    const std::string_view trimmed = SkipLeadingBlanks(defaultText);
    if (trimmed.size() >= 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
        std::uint64_t number = 0;
        if (!ParseTemplateHex(trimmed.substr(2), number)) {
            return false;
        }
        SetValue(number);
        return true;
    }
    std::int32_t number = 0;
    if (!ParseTemplateInteger(defaultText, number)) {
        return false;
    }
    // A negative default keeps its 32-bit pattern in the low half: "-1" is 0xFFFFFFFF.
    valueLow = static_cast<std::uint32_t>(number);
    valueHigh = 0;
    return true;
}

bool CMemEntry::ParseFields(std::string_view indexText, std::string_view sizeText,
                            std::string_view defaultText, std::string_view attributeText,
                            std::string_view nameText) {
    if (indexText.empty()) {
        if (!sizeText.empty() || !defaultText.empty() || !attributeText.empty() ||
            !nameText.empty()) {
            return false;
        }
        index = kCommentIndex;
        return true;
    }
    if (sizeText.empty() || nameText.empty()) {
        return false;
    }
    std::int32_t parsedIndex = 0;
    std::int32_t parsedSize = 0;
    std::int32_t parsedAttribute = 0;
    if (!ParseTemplateInteger(indexText, parsedIndex) ||
        !ParseTemplateInteger(sizeText, parsedSize) ||
        !ParseTemplateInteger(attributeText, parsedAttribute)) {
        return false;
    }
    index = parsedIndex;
    size = parsedSize;
    attribute = parsedAttribute;
    name.assign(nameText);
    if (IsValueRow()) {
        return ParseDefault(defaultText);
    }
    if (index == kHeaderIndex) {
        text.assign(defaultText);
        return true;
    }
    // Rows that are neither parameters nor the header must say so with size -1.
    if (size != -1) {
        return false;
    }
    return ParseDefault(defaultText);
}

bool CMemEntry::SetFromBytes(std::int32_t count, const unsigned char* bytes) {
    if (count != size || count < 0 || (count > 0 && bytes == nullptr)) {
        return false;
    }
    std::uint64_t number = 0;
    for (std::int32_t i = 0; i < count && i < kMaxValueSize; ++i) {
        number = (number << 8) | bytes[i];
    }
    SetValue(number);
    return true;
}

unsigned char CMemEntry::ByteAt(std::int32_t i) const {
    if (size <= 0 || i < 0 || i >= size) {
        return 0;
    }
    const std::int64_t shift = 8 * (static_cast<std::int64_t>(size) - 1 - i);
    if (shift >= 64) {
        return 0;
    }
    return static_cast<unsigned char>((Value() >> shift) & 0xFFU);
}

}  // namespace qx7
