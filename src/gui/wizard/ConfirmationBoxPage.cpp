#include "gui/wizard/ConfirmationBoxPage.h"

#include <QCheckBox>
#include <QLabel>

#include "core/app/PageFlow.h"
#include "gui/app/ControlText.h"

namespace qx7::gui {

ConfirmationBoxPage::ConfirmationBoxPage(const PageContext& context, PageId page)
    : WizardPage(context, page) {
    box_ = new QCheckBox(this);
    const WizardPageInfo* info = FindWizardPage(page);
    SetControlNumber(box_, info != nullptr ? info->confirmBox : 0);
    connect(box_, &QCheckBox::toggled, this,
            [this](bool ticked) { SetWizardButtons(ConfirmBoxButtons(ticked)); });
}

void ConfirmationBoxPage::OnSetActive() {
    WizardPage::OnSetActive();
    box_->setChecked(false);
    SetWizardButtons(ConfirmBoxButtons(false));
    FocusControl(firstInput_ != nullptr ? firstInput_ : box_);
}

bool ConfirmationBoxPage::IsConfirmed() const {
    return box_->isChecked();
}

QLabel* ConfirmationBoxPage::MakeInstruction(int number) {
    auto* label = new QLabel(this);
    SetControlNumber(label, number);
    label->setWordWrap(true);
    return label;
}

}  // namespace qx7::gui
