#include "gui/log/ViewerText.h"

#include <string>

namespace qx7::gui {

QString ViewerText(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lines += text[i];
    }
    return QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
}

}  // namespace qx7::gui
