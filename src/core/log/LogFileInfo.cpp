#include "core/log/LogFileInfo.h"

#include <cstdio>
#include <vector>

#include "core/base/ByteOrder.h"
#include "core/log/QXLogFile.h"

namespace qx7 {
namespace {

constexpr std::int64_t kPrinterEpoch = 946684800;  // 2000-01-01 00:00:00 UTC
// A block longer than this is not read for its first bytes; no real block comes near it.
constexpr std::uint32_t kLongestBlockRead = 1U << 20;

// The first `wanted` bytes of a block at least `minimum` bytes long; a longer block gives its
// first bytes too. Empty when the block is missing, shorter or unreadable.
std::vector<unsigned char> ReadBlockHead(CQXLogFile& reader, const char* tag, std::uint32_t wanted,
                                         std::uint32_t minimum) {
    std::uint32_t length = 0;
    if (!reader.ReadBlock(tag, 0, nullptr, length) || length < minimum ||
        length > kLongestBlockRead) {
        return {};
    }
    std::vector<unsigned char> bytes(std::max(length, wanted), 0);
    std::uint32_t read = 0;
    if (!reader.ReadBlock(tag, length, bytes.data(), read) || read != length) {
        return {};
    }
    bytes.resize(wanted);
    return bytes;
}

// Drops a character whose bytes the cut left incomplete at the end of a UTF-8 text.
void DropPartialCharacter(std::string& text) {
    std::size_t start = text.size();
    while (start > 0 && text.size() - start < 3 &&
           (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
        --start;
    }
    if (start == 0) {
        return;
    }
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (text.size() - (start - 1) < length) {
        text.resize(start - 1);
    }
}

// A text block's line: the label, the text (cut after kLongestTextShown bytes, with "..." where
// it was cut), the line end. False when the block is missing or unreadable.
bool AppendTextLine(CQXLogFile& reader, const char* tag, const char* label, std::string& info) {
    std::string text;
    bool cut = false;
    if (!reader.ReadTextBlockHead(tag, kLongestTextShown, text, cut)) {
        return false;
    }
    if (cut) {
        DropPartialCharacter(text);
        text += "...";
    }
    info += label;
    info += text;
    info += "\r\n";
    return true;
}

std::string Version(const unsigned char* v) {
    char text[32];
    std::snprintf(text, sizeof text, "%X.%02X.%04X", v[0], v[1], ReadU16BE(v + 2));
    return text;
}

std::string PrinterMoment(std::int64_t secondsSince1970, const ILocalTime& clock, bool local) {
    const auto time = local ? clock.ToLocal(secondsSince1970) : UtcFromSeconds(secondsSince1970);
    return time ? FormatCalendar(*time) : std::string();
}

}  // namespace

std::string FormatCalendar(const CivilTime& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", time.month, time.day,
                  time.year, time.hour, time.minute, time.second);
    return text;
}

std::string BuildLogFileInformation(CQXLogFile& reader, const std::string& headerText,
                                    const ILocalTime& clock) {
    std::string info;
    AppendTextLine(reader, "Cust", "Customer :\t\t", info);
    AppendTextLine(reader, "Comm", "Comment :\t\t", info);
    if (AppendTextLine(reader, "PCDT", "PC Information :\t\t", info)) {
        const std::string h =
            headerText.size() >= 12 ? headerText : headerText + std::string(12, ' ');
        info += "Saved Date (PC) :\t\t" + h.substr(4, 2) + "/" + h.substr(6, 2) + "/" +
                h.substr(0, 4) + " " + h.substr(8, 2) + ":" + h.substr(10, 2) + "\r\n\r\n\r\n";
    }
    if (const auto date = ReadBlockHead(reader, "Date", 4, 4); !date.empty()) {
        const auto seconds = static_cast<std::int32_t>(ReadU32BE(date.data()));
        const std::int64_t moment = kPrinterEpoch + seconds;
        info += "Saved Date (Printer) :\t" + PrinterMoment(moment, clock, true) +
                " (UTC=" + PrinterMoment(moment, clock, false) + ")\r\n";
    }
    if (const auto v = ReadBlockHead(reader, "Vers", 20, 20); !v.empty()) {
        info += "Versions :\t\t\tMain=" + Version(&v[0]) + ", Mainte=" + Version(&v[4]) +
                ",\r\n\t\t\tMessage=" + Version(&v[8]) + ", Font=" + Version(&v[12]) +
                ", TestData=" + Version(&v[16]) + "\r\n";
    }
    AppendTextLine(reader, "Prod", "\r\nProduct Number:\t\t", info);
    AppendTextLine(reader, "18Cd", "ISM Integrated Code :\t", info);
    if (const auto mac = ReadBlockHead(reader, "MACa", 8, 6); !mac.empty()) {
        char line[64];
        std::snprintf(line, sizeof line, "MAC address :\t\t%02X-%02X-%02X-%02X-%02X-%02X\r\n",
                      mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
        info += line;
    }
    return info;
}

std::string BuildLogFileInformation(const std::string& path, const ILocalTime& clock) {
    CQXLogFile reader(clock);
    std::string header;
    if (reader.ReadHeaderText(path, header) != 1) {
        reader.Close();
        return {};
    }
    std::string info = BuildLogFileInformation(reader, header, clock);
    reader.Close();
    return info;
}

}  // namespace qx7
