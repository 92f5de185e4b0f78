#include "gui/wizard/ThermistorPreparationPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

ThermistorPreparationPage::ThermistorPreparationPage(const PageContext& context)
    : ConfirmationBoxPage(context, PageId::kThermistorPreparation) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeInstruction(1007));
    layout->addSpacing(12);
    layout->addWidget(ConfirmationBox());
    layout->addStretch(1);
}

QX7_REGISTER_WIZARD_PAGE(ThermistorPreparationPage, PageId::kThermistorPreparation);

}  // namespace qx7::gui
