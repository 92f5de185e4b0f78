#include "gui/app/WaitCursorScope.h"

#include <QGuiApplication>

namespace qx7::gui {

WaitCursorScope::WaitCursorScope() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursorScope::~WaitCursorScope() {
    QGuiApplication::restoreOverrideCursor();
}

OverrideCursorPause::OverrideCursorPause() {
    while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
        lifted_.push_back(*cursor);
        QGuiApplication::restoreOverrideCursor();
    }
}

OverrideCursorPause::~OverrideCursorPause() {
    for (auto it = lifted_.rbegin(); it != lifted_.rend(); ++it) {
        QGuiApplication::setOverrideCursor(*it);
    }
}

}  // namespace qx7::gui
