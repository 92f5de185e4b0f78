#include "core/log/LogRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/log/NumberText.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kNoteCode = 0x4E000625;
constexpr std::size_t kNoteOffset = 35;
constexpr std::uint32_t kLatestShownTime = 0x37000000;
constexpr std::uint32_t kClampedTime = 0x36000000;
constexpr std::int64_t kPrinterEpoch = 946684800;  // 2000-01-01 00:00:00 UTC in Unix time

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Cuts a UTF-8 text to at most `limit` bytes without splitting a character.
void CutUtf8(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

}  // namespace

double InkAmount(std::uint32_t count, std::int32_t resolution) {
    return static_cast<double>(count) * (resolution == 1200 ? 1.5e-8 : 1.4333333333333334e-8);
}

bool CLogRecord::Parse(const unsigned char* bytes, std::size_t count, const ILocalTime& localTime) {
    return Parse(bytes, count, localTime, localTime.StandardOffsetWestSeconds());
}

bool CLogRecord::Parse(const unsigned char* bytes, std::size_t count, const ILocalTime& localTime,
                       std::int64_t offsetWestSeconds) {
    if (bytes == nullptr || count < 12) {
        return false;
    }
    const std::uint32_t time = BigEndian32(bytes);
    const std::uint32_t header = BigEndian32(bytes + 4);
    code_ = BigEndian32(bytes + 8);

    // The printer counts from 2000-01-01 UTC; the difference to the local standard-time
    // epoch wraps as an unsigned number, and implausible values are pulled back into range.
    std::uint32_t m = time - static_cast<std::uint32_t>(offsetWestSeconds);
    if (m > kLatestShownTime) {
        m = kClampedTime;
    }
    const std::int64_t moment = kPrinterEpoch + offsetWestSeconds + static_cast<std::int64_t>(m);
    if (const auto local = localTime.ToLocal(moment)) {
        date_.Set(static_cast<std::uint32_t>(local->year), static_cast<std::uint32_t>(local->month),
                  static_cast<std::uint32_t>(local->day), static_cast<std::uint32_t>(local->hour),
                  static_cast<std::uint32_t>(local->minute),
                  static_cast<std::uint32_t>(local->second), header >> 21);
    }
    subtype_ = static_cast<std::int8_t>((header >> 3) & 0x1F);
    type_ = static_cast<std::int8_t>(header & 0x7);

    if (code_ == kNoteCode && count > kNoteOffset) {
        const auto* start = bytes + kNoteOffset;
        const std::size_t room = count - kNoteOffset;
        const auto* end = static_cast<const unsigned char*>(std::memchr(start, 0, room));
        note_ = std::make_unique<std::string>(
            reinterpret_cast<const char*>(start),
            end != nullptr ? static_cast<std::size_t>(end - start) : room);
    }

    const std::size_t declared = (header >> 8) & 0x1FFF;
    const std::size_t available = std::min(declared, count - 12);
    parameterCount_ = static_cast<std::uint8_t>(std::min(available, kKeptParameterBytes));
    std::memcpy(parameters_.data(), bytes + 12, parameterCount_);
    return true;
}

std::uint32_t CLogRecord::Word(std::size_t index) const {
    const std::size_t at = index * 4;
    return (std::uint32_t{Byte(at)} << 24) | (std::uint32_t{Byte(at + 1)} << 16) |
           (std::uint32_t{Byte(at + 2)} << 8) | std::uint32_t{Byte(at + 3)};
}

int CLogRecord::TextFrom(std::size_t start, std::string& text) const {
    text.clear();
    if (!HasDump()) {
        return 0;
    }
    // The dump holds whole words: a last partial word is padded with zeros, which end the text.
    // Bytes 0xFF are left out; a text without them is taken at once.
    if (start < parameterCount_) {
        const std::uint8_t* begin = parameters_.data() + start;
        const std::size_t room = parameterCount_ - start;
        const auto* zero = static_cast<const std::uint8_t*>(std::memchr(begin, 0, room));
        const std::size_t length = zero != nullptr ? static_cast<std::size_t>(zero - begin) : room;
        if (std::memchr(begin, 0xFF, length) == nullptr) {
            text.assign(reinterpret_cast<const char*>(begin), length);
        } else {
            for (std::size_t i = 0; i < length; ++i) {
                if (begin[i] != 0xFF) {
                    text.push_back(static_cast<char>(begin[i]));
                }
            }
        }
    }
    CutUtf8(text, kMaxTextBytes);
    return 1;
}

int CLogRecord::GetText(std::string& text) const {
    return TextFrom(0, text);
}

int CLogRecord::GetTextFromWord1(std::string& text) const {
    return TextFrom(4, text);
}

int CLogRecord::GetWords2To9(std::uint32_t (&words)[8]) const {
    // All ten words kept (a print's end always has them): read straight, without the checks.
    if (parameterCount_ >= 40) {
        for (std::size_t i = 0; i < 8; ++i) {
            words[i] = BigEndian32(parameters_.data() + 8 + 4 * i);
        }
        return 1;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        words[i] = HasDump() ? Word(i + 2) : 0;
    }
    return HasDump() ? 1 : 0;
}

int CLogRecord::GetAdvancedSettings(std::uint8_t& a, std::uint8_t& b, std::uint32_t& c,
                                    std::uint8_t& d) const {
    a = Byte(5);
    b = Byte(6);
    c = (std::uint32_t{Byte(14)} << 8) | std::uint32_t{Byte(15)};
    d = Byte(16);
    return HasDump() ? 1 : 0;
}

int CLogRecord::GetMainSettings(std::string& timeText, std::string& modelText,
                                std::string& settingText, std::uint8_t (&bytes)[8],
                                const ILocalTime& localTime) const {
    timeText.clear();
    modelText.clear();
    settingText.clear();
    static constexpr std::size_t kSettingBytes[8] = {10, 11, 12, 14, 15, 16, 17, 19};
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[i] = Byte(kSettingBytes[i]);
    }
    if (!HasDump()) {
        return 0;
    }
    const auto seconds =
        static_cast<std::int32_t>(std::uint32_t{Byte(6)} | (std::uint32_t{Byte(7)} << 8) |
                                  (std::uint32_t{Byte(8)} << 16) | (std::uint32_t{Byte(9)} << 24));
    // Before 1970 there is no calendar time to show: the text stays empty.
    if (seconds >= 0) {
        if (const auto local = localTime.ToLocal(seconds)) {
            // "%02d/%02d/%04d %02d:%02d:%02d"
            char text[6 * kMaxNumberText];
            char* end = PutTwo(text, local->month);
            *end++ = '/';
            end = PutTwo(end, local->day);
            *end++ = '/';
            end = PutDecimal(end, local->year, 4);
            *end++ = ' ';
            end = PutTwo(end, local->hour);
            *end++ = ':';
            end = PutTwo(end, local->minute);
            *end++ = ':';
            end = PutTwo(end, local->second);
            timeText.assign(text, static_cast<std::size_t>(end - text));
        }
    }
    switch (Byte(26)) {
        case 1:
            modelText = "QX-710";
            break;
        case 2:
            modelText = "QX-730";
            break;
        case 3:
            modelText = "QX-750";
            break;
        default:
            modelText = "Unknown";
            break;
    }
    if (Byte(20) != 0) {
        char text[2 + kMaxNumberText] = {'0', 'x'};
        const char* end = PutHex(text + 2,
                                 (std::uint32_t{Byte(20)} << 16) | (std::uint32_t{Byte(21)} << 8) |
                                     std::uint32_t{Byte(22)},
                                 6);
        settingText.assign(text, static_cast<std::size_t>(end - text));
    } else {
        settingText = "OFF";
    }
    return 1;
}

int CLogRecord::GetWords0And1(std::uint32_t& first, std::uint32_t& second) const {
    first = HasDump() ? Word(0) : 0;
    second = HasDump() ? Word(1) : 0;
    return HasDump() ? 1 : 0;
}

std::string CLogRecord::FirstDumpLine() const {
    if (!HasDump()) {
        return {};
    }
    std::string line(7, ' ');
    char column[16];
    for (std::size_t word = 0; word < 16; ++word) {
        if (word * 4 < parameterCount_) {
            std::snprintf(column, sizeof column, " %08X", Word(word));
            line += column;
        } else {
            line += std::string(9, ' ');
        }
    }
    line += " | ";
    for (std::size_t i = 0; i < parameterCount_; ++i) {
        const std::uint8_t byte = parameters_[i];
        line.push_back(byte < 0x20 || byte >= 0x7E ? '.' : static_cast<char>(byte));
    }
    return line;
}

}  // namespace qx7
