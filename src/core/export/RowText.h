#pragma once
// Builds one CSV row of the statistics files: C-locale numbers whatever the process locale,
// one separator between fields.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx7 {

class RowText {
public:
    explicit RowText(bool semicolon) : separator_(semicolon ? ';' : ',') {}

    void Text(std::string_view text) {
        Separate();
        text_ += text;
    }
    // Between double quotes; a quote inside is doubled so that the field stays one field.
    void Quoted(std::string_view text) {
        Separate();
        text_ += '"';
        for (const char c : text) {
            if (c == '"') {
                text_ += '"';
            }
            text_ += c;
        }
        text_ += '"';
    }
    void Int(std::int32_t value) { Number(value); }
    void Unsigned(std::uint32_t value) { Number(value); }
    // "%f": six decimals with a point.
    void Fixed(double value) {
        Separate();
        char buffer[400];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
        text_.append(buffer, result.ptr);
    }
    std::string Take() { return std::move(text_); }

private:
    template <typename T>
    void Number(T value) {
        Separate();
        char buffer[16];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text_.append(buffer, result.ptr);
    }
    void Separate() {
        if (!first_) {
            text_ += separator_;
        }
        first_ = false;
    }

    char separator_;
    bool first_ = true;
    std::string text_;
};

}  // namespace qx7
