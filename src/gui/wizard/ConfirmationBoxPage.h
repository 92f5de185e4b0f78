#pragma once
// The pages whose Next waits for a tick in their confirmation box (135, 257, 265, 286): every
// arrival clears the box and leaves only Back; ticking it opens Next, clearing it closes Next
// again.

#include "gui/wizard/WizardPage.h"

class QCheckBox;
class QLabel;

namespace qx7::gui {

class ConfirmationBoxPage : public WizardPage {
    Q_OBJECT

  public:
    // The base activation (Back only, the texts), then the box cleared and the first input
    // control focused.
    void OnSetActive() override;

    bool IsConfirmed() const;

  protected:
    ConfirmationBoxPage(const PageContext& context, PageId page);

    // The page's box, numbered as the page table says; the page puts it into its layout.
    QCheckBox* ConfirmationBox() const { return box_; }
    // A word-wrapped label for an instruction text.
    QLabel* MakeInstruction(int number);
    // The control that gets the focus on arrival (the box unless the page says otherwise).
    void SetFirstInput(QWidget* control) { firstInput_ = control; }

  private:
    QCheckBox* box_ = nullptr;
    QWidget* firstInput_ = nullptr;
};

}  // namespace qx7::gui
