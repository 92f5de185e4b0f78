#include "support/LogEntryBytes.h"

#include "core/base/LocalTime.h"

namespace qx7::test {

std::uint32_t PrinterSeconds(int year, int month, int day, int hour, int minute, int second) {
    CivilTime utc;
    utc.year = year;
    utc.month = month;
    utc.day = day;
    utc.hour = hour;
    utc.minute = minute;
    utc.second = second;
    return static_cast<std::uint32_t>(SecondsFromUtc(utc) - 946684800);
}

std::string BigEndianWord(std::uint32_t word) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((word >> (24 - 8 * i)) & 0xFF);
    }
    return bytes;
}

std::string EntryBytes(std::uint32_t time, std::uint32_t code, const std::string& params,
                       std::uint32_t milliseconds, int declaredLength, std::uint32_t subtype,
                       std::uint32_t type) {
    const auto length = declaredLength < 0 ? static_cast<std::uint32_t>(params.size())
                                           : static_cast<std::uint32_t>(declaredLength);
    const std::uint32_t header =
        (milliseconds << 21) | ((length & 0x1FFF) << 8) | ((subtype & 0x1F) << 3) | (type & 7);
    return "EdGe" + BigEndianWord(time) + BigEndianWord(header) + BigEndianWord(code) + params;
}

std::string WordsParams(const std::vector<std::uint32_t>& words) {
    std::string bytes;
    for (const std::uint32_t word : words) {
        bytes += BigEndianWord(word);
    }
    return bytes;
}

std::string TextFromWord1Params(const std::string& text) {
    std::string bytes = BigEndianWord(0) + text + '\0';
    bytes.resize((bytes.size() + 3) / 4 * 4, '\0');
    return bytes;
}

std::string DotCountParams(const std::vector<std::uint32_t>& counts) {
    std::vector<std::uint32_t> words = {0, 0};
    words.insert(words.end(), counts.begin(), counts.end());
    words.resize(10, 0);
    return WordsParams(words);
}

std::string AdvancedSettingsParams(std::uint16_t resolution, std::uint8_t multipass) {
    std::string bytes(20, '\0');
    bytes[14] = static_cast<char>(resolution >> 8);
    bytes[15] = static_cast<char>(resolution & 0xFF);
    bytes[16] = static_cast<char>(multipass);
    return bytes;
}

}  // namespace qx7::test
