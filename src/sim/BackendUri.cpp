#include "sim/BackendUri.h"

#include <charconv>
#include <set>

#include "core/text/AsciiText.h"

namespace qx7::sim {
namespace {

// Longer than any device URI the scheduler keeps.
constexpr std::size_t kMaxUriLength = 4096;
// More commands than any test sends, small enough never to wrap a counter.
constexpr std::uint64_t kMaxAfter = 1000000000;

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = AsciiHexDigit(text[i + 1]);
        const int low = AsciiHexDigit(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return out;
}

// A value that may name a file: absolute, and without bytes a path cannot hold or a status
// line would break on.
bool UsablePath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return false;
    }
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

std::optional<Fault> FaultNamed(const std::string& name) {
    if (name == "none") {
        return Fault::kNone;
    }
    if (name == "offline") {
        return Fault::kOffline;
    }
    if (name == "silent") {
        return Fault::kSilent;
    }
    if (name == "refuse") {
        return Fault::kRefuse;
    }
    if (name == "garble") {
        return Fault::kGarble;
    }
    return std::nullopt;
}

}  // namespace

std::string Printable(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            out += "\\x";
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<BackendUri> ParseBackendUri(std::string_view uri, std::string& error) {
    if (uri.size() > kMaxUriLength) {
        error = "the device URI is longer than " + std::to_string(kMaxUriLength) + " bytes";
        return std::nullopt;
    }
    const std::string prefix = std::string(kBackendScheme) + "://";
    if (uri.substr(0, prefix.size()) != prefix) {
        error = "the device URI does not start with " + prefix;
        return std::nullopt;
    }
    uri.remove_prefix(prefix.size());
    BackendUri result;
    const std::size_t question = uri.find('?');
    const std::string_view name = uri.substr(0, question);
    const auto decodedName = PercentDecode(name);
    if (!decodedName || decodedName->empty() ||
        decodedName->find_first_of(std::string_view("\0/", 2)) != std::string::npos) {
        error = "the device URI names no printer, or a malformed one";
        return std::nullopt;
    }
    result.name = *decodedName;
    if (question == std::string_view::npos) {
        return result;
    }
    std::string_view query = uri.substr(question + 1);
    std::set<std::string> seen;
    while (true) {
        const std::size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos) {
            error = "the parameter \"" + Printable(part) + "\" has no value";
            return std::nullopt;
        }
        const std::string key(part.substr(0, equals));
        const auto value = PercentDecode(part.substr(equals + 1));
        if (!value) {
            error = "the value of \"" + Printable(key) + "\" is not well percent-encoded";
            return std::nullopt;
        }
        if (!seen.insert(key).second) {
            error = "the parameter \"" + Printable(key) + "\" is given twice";
            return std::nullopt;
        }
        if (key == "fault") {
            const auto fault = FaultNamed(*value);
            if (!fault) {
                error = "unknown fault \"" + Printable(*value) +
                        "\" (none, offline, silent, refuse or garble)";
                return std::nullopt;
            }
            result.fault = *fault;
        } else if (key == "after") {
            std::uint64_t after = 0;
            const char* first = value->data();
            const char* last = first + value->size();
            const auto [end, ec] = std::from_chars(first, last, after);
            if (value->empty() || (*value)[0] < '0' || (*value)[0] > '9' || ec != std::errc() ||
                end != last || after > kMaxAfter) {
                error = "after=\"" + Printable(*value) + "\" is not a count of commands";
                return std::nullopt;
            }
            result.after = after;
        } else if (key == "state" || key == "hold") {
            if (!UsablePath(*value)) {
                error = key + "=\"" + Printable(*value) + "\" is not an absolute path";
                return std::nullopt;
            }
            (key == "state" ? result.stateDir : result.holdPath) = *value;
        } else {
            error = "unknown parameter \"" + Printable(key) + "\"";
            return std::nullopt;
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query.remove_prefix(amp + 1);
    }
    return result;
}

}  // namespace qx7::sim
