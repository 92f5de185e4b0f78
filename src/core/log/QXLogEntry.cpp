#include "core/log/QXLogEntry.h"

#include <algorithm>

#include "core/log/FirmLogCode.h"
#include "core/log/NumberText.h"

namespace qx7 {
namespace {

constexpr std::string_view kUnknownDateTime = "?\?/?\?/???? ??:??:??";  // escaped: no trigraphs
constexpr std::string_view kUnknownDate = "?\?/?\?/????";
constexpr std::string_view kUnknownTime = "??:??:??";
constexpr std::string_view kCelsiusSign = "\xE2\x84\x83";  // U+2103
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Pointer and length: the string's (pointer, count) members copy at once, its iterator-pair
// ones go through a general replace.
std::size_t Length(const char* start, const char* end) {
    return static_cast<std::size_t>(end - start);
}

// printf's "%0*d": the sign counts towards the width.
void AppendPadded(std::string& out, std::int64_t value, std::size_t width) {
    char text[kMaxNumberText];
    out.append(text, Length(text, PutDecimal(text, value, width)));
}

// printf's "%0*X".
void AppendHex(std::string& out, std::uint32_t value, std::size_t width) {
    char text[kMaxNumberText];
    out.append(text, Length(text, PutHex(text, value, width)));
}

// "MM/DD/YYYY" and "HH:MM:SS" of a local time.
char* PutDate(char* out, const CivilTime& t) {
    out = PutTwo(out, t.month);
    *out++ = '/';
    out = PutTwo(out, t.day);
    *out++ = '/';
    return PutDecimal(out, t.year, 4);
}

char* PutTime(char* out, const CivilTime& t) {
    out = PutTwo(out, t.hour);
    *out++ = ':';
    out = PutTwo(out, t.minute);
    *out++ = ':';
    return PutTwo(out, t.second);
}

char* PutText(char* out, std::string_view text) {
    for (const char c : text) {
        *out++ = c;
    }
    return out;
}

// The type word: ERR, WRN, INF, or the type in three hexadecimal digits.
char* PutType(char* out, std::int32_t type) {
    switch (type) {
        case 1:
        case 2:
            return PutText(out, "ERR");
        case 3:
            return PutText(out, "WRN");
        case 4:
        case 5:
            return PutText(out, "INF");
        default:
            return PutHex(out, static_cast<std::uint32_t>(type), 3);
    }
}

// Length of the valid UTF-8 sequence at the front of `bytes`, 0 when it is not one.
std::size_t ValidSequence(std::string_view bytes) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) {
            low = 0xA0;  // no overlong forms
        } else if (b0 == 0xED) {
            high = 0x9F;  // no surrogates
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) {
            low = 0x90;
        } else if (b0 == 0xF4) {
            high = 0x8F;  // nothing above U+10FFFF
        }
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b1 < low || b1 > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || b > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Core's texts are UTF-8: a byte that starts no valid sequence becomes U+FFFD, which an
// output encoding without it shows as '?'.
void AppendValidUtf8(std::string& out, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = ValidSequence(bytes);
        if (length == 0) {
            out.append(kReplacement);
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
}

enum class ParamKind { None, Temperature, Text, JobText, Number };

ParamKind KindOf(std::uint32_t code) {
    switch (code) {
        case 0x00001060:
        case 0x00001061:
        case 0x00002050:
        case 0x00002051:
            return ParamKind::Temperature;
        case 0x00003408:
        case 0x00003412:
        case 0x00004100:
        case 0x00004101:
        case 0x00004103:
        case 0x00004104:
        case 0x00004105:
        case 0x12600000:
        case 0x12610000:
        case 0x12620000:
            return ParamKind::Text;
        case 0x90080000:
        case 0x90090000:
            return ParamKind::JobText;
        case 0x13400000:
        case 0x13410000:
        case 0x13420000:
        case 0x13430000:
            return ParamKind::Number;
        default:
            return ParamKind::None;
    }
}

}  // namespace

std::size_t CQXLogEntry::ParamBytes() const {
    if (parameterLength <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(parameterLength), parameters_.size());
}

std::uint32_t CQXLogEntry::ParamWord(std::size_t k) const {
    std::uint32_t word = 0;
    for (std::size_t i = 4 * k; i < 4 * k + 4; ++i) {
        word = (word << 8) | (i < parameters_.size() ? parameters_[i] : 0U);
    }
    return word;
}

void CQXLogEntry::GetTypeText(std::string& text) const {
    char word[kMaxNumberText];
    text.assign(word, Length(word, PutType(word, type)));
}

void CQXLogEntry::GetDateTimeText(std::string& text, const LogTextContext& context) const {
    CivilTime local;
    if (!context.ToLocal(time, local)) {
        text = kUnknownDateTime;
        return;
    }
    char shown[4 * kMaxNumberText];
    char* end = PutDate(shown, local);
    *end++ = ' ';
    text.assign(shown, Length(shown, PutTime(end, local)));
}

void CQXLogEntry::GetDateAndTimeTexts(std::string& date, std::string& timeText,
                                      const LogTextContext& context) const {
    CivilTime local;
    if (!context.ToLocal(time, local)) {
        date = kUnknownDate;
        timeText = kUnknownTime;
        return;
    }
    char shown[4 * kMaxNumberText];
    date.assign(shown, Length(shown, PutDate(shown, local)));
    timeText.assign(shown, Length(shown, PutTime(shown, local)));
}

void CQXLogEntry::GetDescriptionText(std::string& text, const LogTextContext& context) const {
    CFirmLogCode().Lookup(text, code, context.Language());
}

void CQXLogEntry::GetParamText(std::string& text, const LogTextContext& context) const {
    const std::size_t bytes = ParamBytes();
    if (bytes == 0) {
        return;
    }
    switch (KindOf(code)) {
        case ParamKind::Temperature: {
            // Tenths of a degree Celsius in the low half of the first word.
            const auto tenths = static_cast<int>(ParamWord(0) & 0xFFFF);
            if (context.Japanese()) {
                text.push_back('[');
                AppendPadded(text, tenths / 10, 1);
                text.push_back('.');
                text.push_back(static_cast<char>('0' + tenths % 10));
                text.push_back(' ');
                text.append(kCelsiusSign);
                text.push_back(']');
            } else {
                text.push_back('[');
                AppendPadded(text, (18 * tenths + 50) / 100 + 32, 1);
                text.append(" deg F]");
            }
            break;
        }
        case ParamKind::Text:
        case ParamKind::JobText: {
            const std::size_t start = KindOf(code) == ParamKind::JobText ? 4 : 0;
            std::string_view param;
            if (start < bytes) {
                param = std::string_view(reinterpret_cast<const char*>(parameters_.data()) + start,
                                         bytes - start);
                param = param.substr(0, param.find('\0'));
            }
            text.push_back('"');
            AppendValidUtf8(text, param);
            text.push_back('"');
            break;
        }
        case ParamKind::Number:
            text.push_back('[');
            AppendPadded(text, static_cast<std::int32_t>(ParamWord(0)), 1);
            text.push_back(']');
            break;
        case ParamKind::None:
            break;
    }
}

void CQXLogEntry::GetRawDataText(std::string& text) const {
    const std::size_t bytes = ParamBytes();
    for (std::size_t k = 0; 4 * k < bytes; ++k) {
        text.push_back(' ');
        AppendHex(text, ParamWord(k), 8);
    }
}

void CQXLogEntry::FormatTextLine(std::string& text, int number,
                                 const LogTextContext& context) const {
    text.clear();
    AppendTextLine(text, number, context);
}

void CQXLogEntry::FormatCsvLine(std::string& text, int number,
                                const LogTextContext& context) const {
    text.clear();
    AppendCsvLine(text, number, context);
}

void CQXLogEntry::AppendTextLine(std::string& text, int number,
                                 const LogTextContext& context) const {
    // Everything before the description has a bounded length: built on the stack, appended once.
    char head[16 * kMaxNumberText];
    char* end = PutDecimal(head, number, 6);
    end = PutText(end, ": ");
    CivilTime local;
    if (context.ToLocal(time, local)) {
        end = PutDate(end, local);
        *end++ = ' ';
        end = PutTime(end, local);
    } else {
        end = PutText(end, kUnknownDateTime);
    }
    end = PutText(end, " [");
    end = PutHex(end, code, 8);
    end = PutText(end, "] (");
    end = PutType(end, type);
    end = PutText(end, ") \"");
    text.append(head, Length(head, end));
    text.append(CFirmLogCode().Describe(code, context.Language()));
    text.push_back('"');
}

void CQXLogEntry::AppendCsvLine(std::string& text, int number,
                                const LogTextContext& context) const {
    char head[16 * kMaxNumberText];
    char* end = PutDecimal(head, number, 6);
    *end++ = ',';
    CivilTime local;
    if (context.ToLocal(time, local)) {
        end = PutDate(end, local);
        *end++ = ',';
        end = PutTime(end, local);
    } else {
        end = PutText(end, kUnknownDate);
        *end++ = ',';
        end = PutText(end, kUnknownTime);
    }
    *end++ = ',';
    end = PutHex(end, code & 0xFFFF, 4);
    *end++ = ',';
    end = PutDecimal(end, subtype, 2);
    *end++ = ',';
    text.append(head, Length(head, end));
    text.append(CFirmLogCode().Describe(code, context.Language()));
    char columns[12 * (kMaxNumberText + 1)];
    end = columns;
    const std::size_t bytes = ParamBytes();
    for (std::size_t k = 0; k < 12; ++k) {
        *end++ = ',';
        if (4 * k < bytes) {
            end = PutDecimal(end, static_cast<std::int32_t>(ParamWord(k)), 1);
        }
    }
    text.append(columns, Length(columns, end));
}

}  // namespace qx7
