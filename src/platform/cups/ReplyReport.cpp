#include "platform/cups/ReplyReport.h"

#include <charconv>

#include "core/text/AsciiText.h"

namespace qx7 {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::string Prefix(int jobId) {
    return "QX7-REPLY job=" + std::to_string(jobId) + " ";
}

ReplyReading Damaged(std::string cause) {
    ReplyReading reading;
    reading.kind = ReplyReportKind::kDamaged;
    reading.cause = std::move(cause);
    return reading;
}

}  // namespace

std::string FormatReplyReport(int jobId, std::span<const unsigned char> reply) {
    if (reply.size() > kMaxReportedReplyBytes) {
        return FormatNoReplyReport(jobId, "the reply of " + std::to_string(reply.size()) +
                                              " bytes is longer than a status line holds (" +
                                              std::to_string(kMaxReportedReplyBytes) + ")");
    }
    std::string line = Prefix(jobId) + "n=" + std::to_string(reply.size()) + " hex=";
    line.reserve(line.size() + 2 * reply.size());
    for (const unsigned char byte : reply) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    return line;
}

std::string FormatNoReplyReport(int jobId, const std::string& cause) {
    std::string oneLine = cause;
    for (char& c : oneLine) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return Prefix(jobId) + "none: " + oneLine;
}

ReplyReading ReadReplyReport(const std::string& message, int jobId) {
    const std::string prefix = Prefix(jobId);
    if (message.compare(0, prefix.size(), prefix) != 0) {
        return {};
    }
    std::string_view rest(message);
    rest.remove_prefix(prefix.size());
    if (rest.substr(0, 6) == "none: ") {
        ReplyReading reading;
        reading.kind = ReplyReportKind::kNoReply;
        reading.cause = std::string(rest.substr(6));
        return reading;
    }
    if (rest.substr(0, 2) != "n=") {
        return Damaged("no length in the report");
    }
    rest.remove_prefix(2);
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), length);
    if (error != std::errc() || end == rest.data()) {
        return Damaged("no length in the report");
    }
    // The filter writes the length plainly; any other spelling is not its line.
    if (rest[0] == '0' && end != rest.data() + 1) {
        return Damaged("the report's length has leading zeros");
    }
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    if (rest.substr(0, 5) != " hex=") {
        return Damaged("no bytes in the report");
    }
    rest.remove_prefix(5);
    if (length > kMaxReportedReplyBytes || rest.size() != 2 * length) {
        return Damaged("the report holds " + std::to_string(rest.size()) +
                       " hex digits for a reply of " + std::to_string(length) + " bytes");
    }
    ReplyReading reading;
    reading.kind = ReplyReportKind::kReply;
    reading.reply.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const int high = AsciiHexDigit(rest[2 * i]);
        const int low = AsciiHexDigit(rest[2 * i + 1]);
        if (high < 0 || low < 0) {
            return Damaged("the report's bytes are not hexadecimal");
        }
        reading.reply.push_back(static_cast<unsigned char>(high << 4 | low));
    }
    return reading;
}

}  // namespace qx7
