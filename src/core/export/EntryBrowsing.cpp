#include "core/export/EntryBrowsing.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace qx7 {
namespace {

constexpr std::int64_t kUnix2000 = 946684800;  // 2000-01-01 00:00:00 UTC

// An entry's code as its eight upper-case hexadecimal digits.
struct CodeText {
    explicit CodeText(std::uint32_t code) {
        std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
    }
    char text[12];
};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return found != haystack.end();
}

bool TypeShownInText(int type, const LogTypeFilter& types) {
    CQXLogEntry probe;
    probe.type = type;
    return IsShownInText(probe, types);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A day the month has (February 30 is refused, not rolled over).
bool IsCalendarDay(const CivilTime& time) {
    if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31) {
        return false;
    }
    CivilTime noon = time;
    noon.hour = 12;
    noon.minute = 0;
    noon.second = 0;
    const auto check = UtcFromSeconds(SecondsFromUtc(noon));
    return check && check->day == time.day;
}

// Appends the text as the inside of a JSON string; bytes that do not form UTF-8 become U+FFFD.
void AppendJsonText(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                out.push_back('\\');
                out.push_back(static_cast<char>(c));
            } else if (c < 0x20 || c == 0x7F) {
                out.append("\\u00");
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
            } else {
                out.push_back(static_cast<char>(c));
            }
            ++i;
            continue;
        }
        // A well-formed sequence: lead byte, then 1..3 continuation bytes, no overlong forms,
        // no surrogates, nothing above U+10FFFF.
        std::size_t length = 0;
        std::uint32_t lowest = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            lowest = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            lowest = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            lowest = 0x10000;
        }
        bool good = length != 0 && i + length <= text.size();
        std::uint32_t value = good ? (c & (0x7Fu >> length)) : 0u;
        for (std::size_t k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            good = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3Fu);
        }
        good = good && value >= lowest && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        if (good) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out.append("\xEF\xBF\xBD");
            ++i;
        }
    }
}

void AppendIsoTime(std::string& out, const CivilTime& time) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    out.append(text);
}

std::optional<std::uint32_t> PrinterTimeOfUnix(std::int64_t seconds) {
    const std::int64_t printer = seconds - kUnix2000;
    if (printer < 0 || printer > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(printer);
}

// Digits of a fixed width at `at`; -1 when any is missing.
int Digits(std::string_view text, std::size_t at, std::size_t width) {
    if (at + width > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t k = at; k < at + width; ++k) {
        if (text[k] < '0' || text[k] > '9') {
            return -1;
        }
        value = value * 10 + (text[k] - '0');
    }
    return value;
}

}  // namespace

static bool PassesCodesAndTimes(const IndexedEntry& entry, const EntryFilter& filter) {
    if (!filter.codes.empty() &&
        std::find(filter.codes.begin(), filter.codes.end(), entry.code) == filter.codes.end()) {
        return false;
    }
    if (filter.from && entry.time < *filter.from) {
        return false;
    }
    return !(filter.to && entry.time > *filter.to);
}

std::string EntryTypeWord(int type) {
    CQXLogEntry probe;
    probe.type = type;
    std::string word;
    probe.GetTypeText(word);
    return word;
}

bool TypeSelected(int type, const EntryFilter& filter) {
    switch (type) {
        case 0:
            return filter.unnamed.type0;
        case 6:
            return filter.unnamed.type6;
        case 7:
            return filter.unnamed.type7;
        default:
            return TypeShownInText(type, filter.types);
    }
}

bool PassesFilter(const IndexedEntry& entry, const EntryFilter& filter) {
    return TypeSelected(entry.type, filter) && PassesCodesAndTimes(entry, filter);
}

std::vector<std::uint32_t> SelectEntries(const LogEntryIndex& index, const EntryFilter& filter) {
    std::vector<std::uint32_t> selection;
    AppendSelected(index, 0, filter, selection);
    return selection;
}

void AppendSelected(const LogEntryIndex& index, std::size_t from, const EntryFilter& filter,
                    std::vector<std::uint32_t>& selection) {
    // The type rule is asked once per type, not once per entry.
    bool typeShown[8];
    for (int type = 0; type < 8; ++type) {
        typeShown[type] = TypeSelected(type, filter);
    }
    const auto& entries = index.Entries();
    for (std::size_t i = from; i < entries.size(); ++i) {
        if (typeShown[entries[i].type & 7] && PassesCodesAndTimes(entries[i], filter)) {
            selection.push_back(static_cast<std::uint32_t>(i));
        }
    }
}

std::string FormatRowLine(const LogEntryRow& row) {
    char number[24];
    std::snprintf(number, sizeof number, "%06zu", row.number);
    std::string line = number;
    line.append(": ")
        .append(row.dateTime)
        .append(" [")
        .append(CodeText(row.code).text)
        .append("] (");
    line.append(row.typeText).append(") \"").append(row.description).append("\"");
    if (!row.parameters.empty()) {
        if (line.size() < kAddedTextColumn) {
            line.append(kAddedTextColumn - line.size(), ' ');
        }
        line.append(row.parameters);
    }
    return line;
}

bool RowContains(const LogEntryRow& row, std::string_view text) {
    // The code is formatted only for rows whose texts miss: a search runs over every row.
    return ContainsIgnoringCase(row.description, text) ||
           ContainsIgnoringCase(row.parameters, text) ||
           ContainsIgnoringCase(CodeText(row.code).text, text);
}

std::size_t FirstAtOrAfter(const LogEntryIndex& index, const std::vector<std::uint32_t>& selection,
                           std::uint32_t time) {
    // Printer clocks are set back now and then, so times are not sorted: the first in log order.
    for (std::size_t k = 0; k < selection.size(); ++k) {
        if (index[selection[k]].time >= time) {
            return k;
        }
    }
    return selection.size();
}

std::optional<std::uint32_t> ParseEntryCode(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::vector<std::uint32_t> DistinctCodes(const LogEntryIndex& index) {
    std::vector<std::uint32_t> codes;
    codes.reserve(index.Size());
    for (const IndexedEntry& entry : index.Entries()) {
        codes.push_back(entry.code);
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    codes.shrink_to_fit();
    return codes;
}

namespace {

void SortDistinct(std::vector<std::uint32_t>& codes) {
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
}

}  // namespace

void DistinctCodeCollector::Add(const std::vector<IndexedEntry>& piece) {
    // Codes met lately, each in a slot chosen by a few of its bits: a log of a few dozen codes
    // keeps few more than those, without a sort of each piece on the reading's way. A code
    // whose slot another took is kept again; Take sorts that out.
    for (const IndexedEntry& entry : piece) {
        const std::uint32_t code = entry.code;
        const std::size_t slot = (code ^ (code >> 11) ^ (code >> 22)) % kSlots;
        if (!slotUsed_[slot] || slots_[slot] != code) {
            slots_[slot] = code;
            slotUsed_[slot] = true;
            codes_.push_back(code);
        }
    }
}

std::vector<std::uint32_t> DistinctCodeCollector::Take() {
    std::vector<std::uint32_t> codes = std::move(codes_);
    codes_ = {};
    std::fill(std::begin(slotUsed_), std::end(slotUsed_), false);
    SortDistinct(codes);
    codes.shrink_to_fit();
    return codes;
}

std::size_t FirstCodeWithPrefix(const std::vector<std::uint32_t>& codes, std::string_view prefix) {
    if (prefix.empty() || prefix.size() > 8) {
        return codes.size();
    }
    const auto digits = ParseEntryCode(prefix);
    if (!digits || (prefix.size() > 1 && (prefix[1] == 'x' || prefix[1] == 'X'))) {
        return codes.size();
    }
    // The codes starting with the digits lie between the prefix filled up with zeros and the
    // prefix filled up with F.
    const unsigned shift = 4u * static_cast<unsigned>(8 - prefix.size());
    const std::uint64_t low = std::uint64_t{*digits} << shift;
    const std::uint64_t high = low + ((std::uint64_t{1} << shift) - 1);
    const auto at = std::lower_bound(codes.begin(), codes.end(), low,
                                     [](std::uint32_t code, std::uint64_t value) {
                                         return std::uint64_t{code} < value;
                                     });
    if (at == codes.end() || *at > high) {
        return codes.size();
    }
    return static_cast<std::size_t>(at - codes.begin());
}

CopiedRows ChooseCopiedRows(std::vector<RowSpan> spans, std::size_t most) {
    CopiedRows copied;
    for (RowSpan& span : spans) {
        if (span.last < span.first) {
            std::swap(span.first, span.last);
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const RowSpan& a, const RowSpan& b) { return a.first < b.first; });
    // Rows before `next` are counted already: overlapping spans count their rows once.
    std::size_t next = 0;
    bool any = false;
    for (const RowSpan& span : spans) {
        const std::size_t first = any ? std::max(span.first, next) : span.first;
        if (any && span.last < next) {
            continue;
        }
        copied.total += span.last - first + 1;
        for (std::size_t row = first; row <= span.last && copied.rows.size() < most; ++row) {
            copied.rows.push_back(row);
        }
        next = span.last + 1;
        any = true;
    }
    return copied;
}

CopiedText FormatCopiedRows(const std::vector<std::size_t>& rows,
                            const std::function<const LogEntryRow*(std::size_t row)>& rowAt,
                            std::size_t mostBytes) {
    CopiedText copied;
    for (const std::size_t row : rows) {
        const LogEntryRow* texts = rowAt(row);
        const std::string line = texts != nullptr ? FormatRowLine(*texts) : std::string();
        if (copied.text.size() + line.size() + 1 > mostBytes) {
            break;
        }
        copied.text += line;
        copied.text += '\n';
        ++copied.rows;
    }
    return copied;
}

std::optional<CivilTime> ParseShownDateTime(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() < 10) {
        return std::nullopt;
    }
    CivilTime time;
    if (text[4] == '-' && text[7] == '-') {  // 2015-07-04
        time.year = Digits(text, 0, 4);
        time.month = Digits(text, 5, 2);
        time.day = Digits(text, 8, 2);
    } else if (text[2] == '/' && text[5] == '/') {  // 07/04/2015, as the rows show it
        time.month = Digits(text, 0, 2);
        time.day = Digits(text, 3, 2);
        time.year = Digits(text, 6, 4);
    } else {
        return std::nullopt;
    }
    if (!IsCalendarDay(time)) {
        return std::nullopt;
    }
    std::string_view clock = text.substr(10);
    if (clock.empty()) {
        return time;
    }
    if (clock.front() == 'T' || clock.front() == 't') {
        clock.remove_prefix(1);
    } else if (IsBlank(clock.front())) {
        while (!clock.empty() && IsBlank(clock.front())) {
            clock.remove_prefix(1);
        }
    } else {
        return std::nullopt;
    }
    if ((clock.size() != 5 && clock.size() != 8) || clock[2] != ':' ||
        (clock.size() == 8 && clock[5] != ':')) {
        return std::nullopt;
    }
    time.hour = Digits(clock, 0, 2);
    time.minute = Digits(clock, 3, 2);
    time.second = clock.size() == 8 ? Digits(clock, 6, 2) : 0;
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 ||
        time.second < 0 || time.second > 59) {
        return std::nullopt;
    }
    return time;
}

std::optional<std::uint32_t> PrinterTimeFromLocal(const CivilTime& local,
                                                  const ILocalTime& clock) {
    const auto seconds = clock.FromLocal(local);
    if (!seconds) {
        return std::nullopt;
    }
    if (*seconds < kUnix2000) {
        return 0u;
    }
    return PrinterTimeOfUnix(*seconds);
}

std::string FormatRowJson(const LogEntryRow& row, std::uint32_t printerTime,
                          const LogTextContext& context) {
    std::string json = "{\"number\":" + std::to_string(row.number) + ",\"utc\":\"";
    if (const auto utc = UtcFromSeconds(kUnix2000 + printerTime)) {
        AppendIsoTime(json, *utc);
    }
    json.append("Z\",\"local\":");
    CivilTime local;
    if (context.ToLocal(printerTime, local)) {
        json.push_back('"');
        AppendIsoTime(json, local);
        json.push_back('"');
    } else {
        json.append("null");
    }
    json.append(",\"code\":\"").append(CodeText(row.code).text).append("\",\"type\":\"");
    AppendJsonText(json, row.typeText);
    json.append("\",\"text\":\"");
    AppendJsonText(json, row.description);
    json.append("\",\"parameters\":\"");
    AppendJsonText(json, row.parameters);
    json.append("\"}");
    return json;
}

std::optional<std::uint32_t> PrinterTimeOfLocal(const CivilTime& local, const ILocalTime& clock) {
    const auto seconds = clock.FromLocal(local);
    if (!seconds) {
        return std::nullopt;
    }
    return PrinterTimeOfUnix(*seconds);
}

}  // namespace qx7
