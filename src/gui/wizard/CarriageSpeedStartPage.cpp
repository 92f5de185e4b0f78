#include "gui/wizard/CarriageSpeedStartPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageSpeedStartPage::CarriageSpeedStartPage(const PageContext& context)
    : ProcedurePage(context, PageId::kCarriageSpeedStart, {1043}) {}

QX7_REGISTER_WIZARD_PAGE(CarriageSpeedStartPage, PageId::kCarriageSpeedStart);

}  // namespace qx7::gui
