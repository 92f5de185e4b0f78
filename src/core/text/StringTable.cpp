#include "core/text/StringTable.h"

#include <cstdlib>
#include <stdexcept>

#include "core/base/QuotedText.h"
#include "core/base/Resources.h"

namespace qx7 {
namespace {

// Cuts a UTF-8 text after `maxChars` characters, counting as the UTF-16 table did: characters
// beyond the basic plane take two.
std::string CutToChars(std::string text, std::size_t maxChars) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::size_t width = 1;
        if (lead >= 0xF0) {
            length = 4;
            width = 2;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        if (units + width > maxChars) {
            text.resize(i);
            break;
        }
        units += width;
        i += length;
    }
    return text;
}

StringTable LoadBuiltIn(std::string_view resourceName) {
    const auto bytes = res::Find(resourceName);
    if (!bytes) {
        throw std::logic_error("string table missing from the build");
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    auto table = StringTable::Parse(text);
    if (!table) {
        throw std::logic_error("string table built into the program is malformed");
    }
    return std::move(*table);
}

}  // namespace

std::optional<StringTable> StringTable::Parse(std::string_view tableText, int* errorLine) {
    StringTable table;
    int lineNumber = 0;
    while (!tableText.empty()) {
        const std::size_t end = tableText.find('\n');
        std::string_view line = tableText.substr(0, end);
        tableText = end == std::string_view::npos ? std::string_view() : tableText.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fail = [&]() -> std::optional<StringTable> {
            if (errorLine != nullptr) {
                *errorLine = lineNumber;
            }
            return std::nullopt;
        };
        std::size_t digits = 0;
        int number = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9' && digits < 6) {
            number = number * 10 + (line[digits] - '0');
            ++digits;
        }
        if (digits == 0 || line.size() < digits + 2 || line[digits] != ' ') {
            return fail();
        }
        std::string_view rest = line.substr(digits + 1);
        auto text = TakeQuoted(rest);
        if (!text || !rest.empty() || !table.entries_.emplace(number, std::move(*text)).second) {
            return fail();
        }
    }
    return table;
}

const StringTable& StringTable::BuiltIn(LanguageId language) {
    static const StringTable english = LoadBuiltIn("strings/en.txt");
    static const StringTable japanese = LoadBuiltIn("strings/ja.txt");
    return language == kJapanese ? japanese : english;
}

std::optional<std::string_view> StringTable::Find(int number) const {
    const auto it = entries_.find(number);
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return it->second;
}

int LoadLocalString(LanguageId language, int number, std::string& text) {
    return LoadLocalString(StringTable::BuiltIn(language), number, text);
}

int LoadLocalString(const StringTable& table, int number, std::string& text) {
    const auto entry = table.Find(number);
    if (!entry || entry->empty()) {
        return -100;
    }
    text = CutToChars(std::string(*entry), kMaxLocalStringChars);
    return 0;
}

}  // namespace qx7
