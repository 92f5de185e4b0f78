#pragma once
// What the text viewers of the log page share: core's CR LF text as the lines a plain-text
// view shows.

#include <QString>
#include <string_view>

namespace qx7::gui {

// UTF-8 text with CR LF line ends as a view shows it: each CR LF pair becomes one line break
// (a lone CR or LF stays what it is).
QString ViewerText(std::string_view text);

}  // namespace qx7::gui
