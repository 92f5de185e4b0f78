#pragma once
// Enter on a focused push button presses it, in a dialog that has no default button on purpose
// (Enter in a field there must neither close nor save). Qt's own autoDefault cannot give this:
// a dialog shown without a default makes its first autoDefault button the default.

#include <initializer_list>

#include <QObject>

class QPushButton;

namespace qx7::gui {

class FocusedButtonEnter final : public QObject {
    Q_OBJECT
  public:
    // Takes Enter for each button (autoDefault and default off); the filter belongs to owner.
    FocusedButtonEnter(QObject* owner, std::initializer_list<QPushButton*> buttons);
    void Add(QPushButton* button);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qx7::gui
