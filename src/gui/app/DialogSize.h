#pragma once
// First sizes of dialogs: layouts drawn in dialog units, views that want room for their text,
// and the bound that keeps any dialog on the screen.

#include <QSize>

class QFont;
class QPlainTextEdit;
class QWidget;

namespace qx7::gui {

// A size given in dialog units, in pixels of the font: a horizontal unit is a quarter of the
// font's average character width, a vertical one an eighth of its height.
QSize DialogUnitsToPixels(const QFont& font, int width, int height);

// `size` within nine tenths of the screen the dialog is on (as it is when it has none), so the
// frame and its edges stay on screen.
QSize BoundedToScreen(const QWidget* dialog, const QSize& size);

// The dialog's size when `view` is to show `columns` characters by `lines` lines of its font
// with its scroll bars: the dialog's own size hint grown by what the view lacks, never below
// the dialog's minimum and kept within the screen.
QSize FittedDialogSize(const QWidget* dialog, const QPlainTextEdit* view, int columns, int lines);

}  // namespace qx7::gui
