#include "gui/wizard/CarriageSpeedStartPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageSpeedStartPage::CarriageSpeedStartPage(const PageContext& context) : ProcedurePage(context, 148, {1043}) {}

QX7_REGISTER_WIZARD_PAGE(CarriageSpeedStartPage, 148);

}  // namespace qx7::gui
