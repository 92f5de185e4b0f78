#include "gui/wizard/CarriageOriginPage.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageOriginPage::CarriageOriginPage(const PageContext& context)
    : ProcedurePage(context, PageId::kCarriageOrigin, {1329}) {
    confirm_ = new QCheckBox(this);
    SetControlNumber(confirm_, 1328);
    // Below the instruction, above the stretch the base layout ends with.
    auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(layout->count() - 1, confirm_);
    connect(confirm_, &QCheckBox::toggled, this,
            [this](bool ticked) { SetWizardButtons(ConfirmBoxButtons(ticked)); });
}

void CarriageOriginPage::OnSetActive() {
    ProcedurePage::OnSetActive();  // Back only, until the box is ticked
    const QSignalBlocker quiet(confirm_);
    confirm_->setChecked(false);
}

QX7_REGISTER_WIZARD_PAGE(CarriageOriginPage, PageId::kCarriageOrigin);

}  // namespace qx7::gui
