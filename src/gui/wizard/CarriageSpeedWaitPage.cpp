#include "gui/wizard/CarriageSpeedWaitPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageSpeedWaitPage::CarriageSpeedWaitPage(const PageContext& context) : ProcedurePage(context, 149, {1044}) {}

QX7_REGISTER_WIZARD_PAGE(CarriageSpeedWaitPage, 149);

}  // namespace qx7::gui
