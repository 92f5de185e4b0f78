#include "core/base/QuotedText.h"

namespace qx7 {

std::optional<std::string> TakeQuoted(std::string_view& rest) {
    if (rest.empty() || rest.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return out;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == rest.size()) {
            return std::nullopt;
        }
        switch (rest[i]) {
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case '"':
                out.push_back('"');
                break;
            case '\\':
                out.push_back('\\');
                break;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace qx7
