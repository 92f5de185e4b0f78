#include "gui/wizard/CarriageMotorPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageMotorPage::CarriageMotorPage(const PageContext& context)
    : ProcedurePage(context, PageId::kCarriageMotor, {1161}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CarriageMotorPage, PageId::kCarriageMotor);

}  // namespace qx7::gui
