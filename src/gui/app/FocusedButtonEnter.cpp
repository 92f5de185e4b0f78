#include "gui/app/FocusedButtonEnter.h"

#include <QKeyEvent>
#include <QPushButton>

namespace qx7::gui {

FocusedButtonEnter::FocusedButtonEnter(QObject* owner, std::initializer_list<QPushButton*> buttons)
    : QObject(owner) {
    for (QPushButton* button : buttons) {
        Add(button);
    }
}

void FocusedButtonEnter::Add(QPushButton* button) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(this);
}

bool FocusedButtonEnter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button != nullptr && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (button->isEnabled()) {
                button->click();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace qx7::gui
