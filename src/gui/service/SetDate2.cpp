#include "gui/service/SetDate2.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {

CSetDate2::CSetDate2(const PageContext& context) : WizardPage(context, 163) {
    auto* done = new QLabel(this);
    SetControlNumber(done, 1070);
    done->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(done);
    layout->addStretch(1);
}

int CSetDate2::OnWizardNext() {
    WaitCursorScope wait;
    return WizardPage::OnWizardNext();
}

QX7_REGISTER_WIZARD_PAGE(CSetDate2, 163);

}  // namespace qx7::gui
