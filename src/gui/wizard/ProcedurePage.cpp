#include "gui/wizard/ProcedurePage.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/app/ServicePageNext.h"
#include "gui/app/ControlText.h"
#include "gui/app/WizardSheet.h"

namespace qx7::gui {

ProcedurePage::ProcedurePage(const PageContext& context, PageId page, std::span<const int> labels,
                             Hourglass hourglass)
    : WizardPage(context, page), hourglass_(hourglass) {
    auto* layout = new QVBoxLayout(this);
    for (const int number : labels) {
        auto* label = new QLabel(this);
        SetControlNumber(label, number);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    const WizardPageInfo* info = FindWizardPage(page);
    if (const int box = info != nullptr ? info->confirmBox : 0; box != 0) {
        confirm_ = new QCheckBox(this);
        SetControlNumber(confirm_, box);
        layout->addWidget(confirm_);
        connect(confirm_, &QCheckBox::toggled, this,
                [this](bool ticked) { SetWizardButtons(ConfirmBoxButtons(ticked)); });
    }
    layout->addStretch(1);
}

void ProcedurePage::OnSetActive() {
    WizardPage::OnSetActive();  // Back only on a page with a box, until it is ticked
    if (confirm_ != nullptr) {
        const QSignalBlocker quiet(confirm_);
        confirm_->setChecked(false);
    }
}

int ProcedurePage::OnWizardNext() {
    // Off the window's thread; the hourglass and the waiting line where the page had its
    // hourglass.
    int page = kStayOnPage;
    RunPrinterStep(
        Sheet(), [&] { page = ServicePageNext(App(), TemplateId()); },
        hourglass_ == Hourglass::kShown);
    return page;
}

}  // namespace qx7::gui
