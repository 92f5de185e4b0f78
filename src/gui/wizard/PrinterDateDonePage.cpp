#include "gui/wizard/PrinterDateDonePage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {

PrinterDateDonePage::PrinterDateDonePage(const PageContext& context)
    : WizardPage(context, PageId::kPrinterDateDone) {
    auto* done = new QLabel(this);
    SetControlNumber(done, 1070);
    done->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(done);
    layout->addStretch(1);
}

int PrinterDateDonePage::OnWizardNext() {
    WaitCursorScope wait;
    return WizardPage::OnWizardNext();
}

QX7_REGISTER_WIZARD_PAGE(PrinterDateDonePage, PageId::kPrinterDateDone);

}  // namespace qx7::gui
