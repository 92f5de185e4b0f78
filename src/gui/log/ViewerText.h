#pragma once
// What the text viewers of the log page share: core's CR LF text as the lines a plain-text
// view shows, and a first size that gives a view the room its text wants.

#include <QSize>
#include <QString>
#include <string_view>

class QPlainTextEdit;
class QWidget;

namespace qx7::gui {

// UTF-8 text with CR LF line ends as a view shows it: each CR LF pair becomes one line break
// (a lone CR or LF stays what it is).
QString ViewerText(std::string_view text);

// The dialog's size when `view` is to show `columns` characters by `lines` lines of its font
// with its scroll bars: the dialog's own size hint grown by what the view lacks, never below
// the dialog's minimum and kept within the screen.
QSize FittedDialogSize(const QWidget* dialog, const QPlainTextEdit* view, int columns, int lines);

}  // namespace qx7::gui
