#pragma once
// One line of an EEPROM template: a parameter (value row), the block header or a comment line,
// and, once a block has been decoded, the parameter's value.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx7 {

// Index of the header line; its size field holds the block id, its attribute the version.
inline constexpr std::int32_t kHeaderIndex = -3333;
// Index of a comment line.
inline constexpr std::int32_t kCommentIndex = -1;

// Display forms of a value row.
inline constexpr std::int32_t kAttrHex = 0;
inline constexpr std::int32_t kAttrUnsigned = 1;
inline constexpr std::int32_t kAttrSigned = 2;

// Longest value a row can hold, in bytes (two 32-bit halves).
inline constexpr std::int32_t kMaxValueSize = 8;

// Integer field of a template line: blanks, CR and LF dropped, then decimal or "0x" hexadecimal,
// 32 bits wrapping. False when the field holds anything else.
bool ParseTemplateInteger(std::string_view field, std::int32_t& value);
// Hexadecimal default after "0x": 1 to 16 digits (blanks dropped, trailing tabs cut).
bool ParseTemplateHex(std::string_view digits, std::uint64_t& value);

class CMemEntry {
  public:
    std::uint32_t valueLow = 0;
    std::uint32_t valueHigh = 0;
    std::int32_t index = kCommentIndex;
    std::string text;  // comment (from "#" on), or the signature on the header row
    std::int32_t attribute = 0;
    std::string name;
    std::int32_t size = 0;
    std::int32_t address = 0;

    // Fills the entry from the five fields of a template line; false when they do not form a
    // comment, header, value or other row.
    bool ParseFields(std::string_view indexText, std::string_view sizeText,
                     std::string_view defaultText, std::string_view attributeText,
                     std::string_view nameText);

    // The value from `count` bytes, most significant first; false (value kept) when count is not
    // the entry's size.
    bool SetFromBytes(std::int32_t count, const unsigned char* bytes);

    // Byte i of the value, counted from the most significant of its size bytes; 0 outside.
    unsigned char ByteAt(std::int32_t i) const;

    std::uint64_t Value() const { return (std::uint64_t{valueHigh} << 32) | valueLow; }
    void SetValue(std::uint64_t value) {
        valueLow = static_cast<std::uint32_t>(value);
        valueHigh = static_cast<std::uint32_t>(value >> 32);
    }
    bool IsValueRow() const {
        return index >= 0 && size >= 1 && size <= kMaxValueSize && attribute >= kAttrHex &&
               attribute <= kAttrSigned;
    }

  private:
    bool ParseDefault(std::string_view defaultText);
};

}  // namespace qx7
