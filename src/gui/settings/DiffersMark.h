#pragma once
// The red mark of a settings row whose value differs from the factory value: a red square with
// a black exclamation mark. It is drawn for the size and pixel ratio it is shown at, so it stays
// sharp on any screen.

#include <QIcon>
#include <QPixmap>

namespace qx7::gui {

// Side of the mark in the settings list, in logical pixels.
inline constexpr int kDiffersMarkSide = 16;

// The mark as a square pixmap of `logicalSide` logical pixels at the pixel ratio: its physical
// side is logicalSide x ratio rounded, every edge on whole device pixels.
QPixmap DrawDiffersMark(int logicalSide, qreal devicePixelRatio);

// The mark as an icon that draws itself at whatever size and ratio it is painted.
QIcon DiffersMarkIcon();

}  // namespace qx7::gui
