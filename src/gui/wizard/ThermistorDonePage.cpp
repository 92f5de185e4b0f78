#include "gui/wizard/ThermistorDonePage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"

namespace qx7::gui {

ThermistorDonePage::ThermistorDonePage(const PageContext& context)
    : WizardPage(context, PageId::kThermistorDone) {
    auto* done = new QLabel(this);
    SetControlNumber(done, 1042);
    done->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(done);
    layout->addStretch(1);
}

QX7_REGISTER_WIZARD_PAGE(ThermistorDonePage, PageId::kThermistorDone);

}  // namespace qx7::gui
