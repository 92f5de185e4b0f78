#include "core/log/FirmLogCode.h"

#include <algorithm>
#include <charconv>

#include "core/base/QuotedText.h"
#include "core/base/Resources.h"

namespace qx7 {
namespace {

std::optional<FirmLogCodeRow> ParseRow(std::string_view line) {
    if (line.size() < 2 || line.substr(0, 2) != "0x") {
        return std::nullopt;
    }
    line.remove_prefix(2);
    FirmLogCodeRow row;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), row.code, 16);
    if (error != std::errc() || end == line.data()) {
        return std::nullopt;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    if (line.empty() || line.front() != ' ') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    auto english = TakeQuoted(line);
    if (!english || line.empty() || line.front() != ' ') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    auto japanese = TakeQuoted(line);
    if (!japanese || !line.empty()) {
        return std::nullopt;
    }
    row.english = std::move(*english);
    row.japanese = std::move(*japanese);
    return row;
}

// The table and a hash index for the lookup, which every exported line makes. The index keeps,
// for a code that appears twice, the first row, which is what a walk from the top would find.
struct CodeTable {
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    std::vector<FirmLogCodeRow> rows;
    // Open addressing, linear probing; at most half full, so every probe sequence ends.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> slots;  // code, row (kEmpty: free)
    std::size_t mask = 0;
    int shift = 60;
    std::size_t terminator = 0;

    // The high bits of a Fibonacci product: codes that differ only in their high half (most
    // end in 0000) still spread over the whole table.
    std::size_t Home(std::uint32_t code) const {
        return static_cast<std::size_t>((code * 0x9E3779B97F4A7C15ULL) >> shift);
    }
    std::size_t RowOf(std::uint32_t code) const {
        for (std::size_t slot = Home(code);; slot = (slot + 1) & mask) {
            const auto& [slotCode, row] = slots[slot];
            if (row == kEmpty) {
                return terminator;
            }
            if (slotCode == code) {
                return row;
            }
        }
    }
};

CodeTable BuildTable() {
    CodeTable table;
    if (const auto bytes = res::Find("codes/firm_log_codes.txt")) {
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        if (auto rows = CFirmLogCode::Parse(text)) {
            table.rows = std::move(*rows);
        }
    }
    if (table.rows.empty()) {
        // A build without the data still answers every code.
        table.rows.push_back({kUnknownLogCode, "Unknown LogCode", "Unknown LogCode"});
    }
    table.terminator = table.rows.size() - 1;
    // Rows after the first terminator can never be reached by a walk from the top.
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        if (table.rows[i].code == kUnknownLogCode) {
            table.terminator = i;
            break;
        }
    }
    std::size_t size = 16;
    while (size < 2 * table.terminator + 2) {
        size *= 2;
        --table.shift;
    }
    table.slots.assign(size, {0, CodeTable::kEmpty});
    table.mask = size - 1;
    for (std::size_t i = 0; i < table.terminator; ++i) {
        const std::uint32_t code = table.rows[i].code;
        std::size_t slot = table.Home(code);
        while (table.slots[slot].second != CodeTable::kEmpty && table.slots[slot].first != code) {
            slot = (slot + 1) & table.mask;
        }
        if (table.slots[slot].second == CodeTable::kEmpty) {
            table.slots[slot] = {code, static_cast<std::uint32_t>(i)};
        }
    }
    return table;
}

const CodeTable& Table() {
    static const CodeTable table = BuildTable();
    return table;
}

}  // namespace

std::optional<std::vector<FirmLogCodeRow>> CFirmLogCode::Parse(std::string_view tableText,
                                                               int* errorLine) {
    std::vector<FirmLogCodeRow> rows;
    int lineNumber = 0;
    while (!tableText.empty()) {
        ++lineNumber;
        const std::size_t newline = tableText.find('\n');
        std::string_view line = tableText.substr(0, newline);
        tableText.remove_prefix(newline == std::string_view::npos ? tableText.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        auto row = ParseRow(line);
        if (!row) {
            if (errorLine != nullptr) {
                *errorLine = lineNumber;
            }
            return std::nullopt;
        }
        rows.push_back(std::move(*row));
    }
    if (rows.empty() || rows.back().code != kUnknownLogCode) {
        if (errorLine != nullptr) {
            *errorLine = lineNumber;
        }
        return std::nullopt;
    }
    return rows;
}

std::span<const FirmLogCodeRow> CFirmLogCode::Rows() {
    return Table().rows;
}

std::string_view CFirmLogCode::Describe(std::uint32_t code, LanguageId language) const {
    const CodeTable& table = Table();
    const FirmLogCodeRow& found = table.rows[table.RowOf(code)];
    return language == kJapanese ? found.japanese : found.english;
}

void CFirmLogCode::Lookup(std::string& text, std::uint32_t code, LanguageId language) const {
    text.append(Describe(code, language));
}

}  // namespace qx7
