#pragma once
// Messages of the wizard in message boxes: the program's name as caption, the icon of the
// message's kind, OK or Yes/No. A box is wide enough for its caption. A wait cursor is lifted
// while a box is up.

#include <QPointer>
#include <QWidget>
#include <string>

#include "core/text/MessageSink.h"

namespace qx7::gui {

class MessageBoxSink final : public IMessageSink {
  public:
    // The boxes are modal over the owner (the sheet, once it exists), or over the modal dialog
    // on show above it (a viewer), so that a box never opens behind the window it is about.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_; }

    // An information box.
    void ShowOk(const std::string& text) override;
    void Show(const std::string& text, MessageKind kind) override;
    bool AskYesNo(const std::string& text) override;
    bool AskYesNoCaptioned(const std::string& text, const std::string& caption) override;

    // The caption of every box: the program's file name without its extension.
    static QString Caption();

  private:
    QPointer<QWidget> owner_;
};

}  // namespace qx7::gui
