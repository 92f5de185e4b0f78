#include "gui/wizard/CarriageSpeedWaitPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CarriageSpeedWaitPage::CarriageSpeedWaitPage(const PageContext& context)
    : ProcedurePage(context, PageId::kCarriageSpeedWait, {1044}) {}

QX7_REGISTER_WIZARD_PAGE(CarriageSpeedWaitPage, PageId::kCarriageSpeedWait);

}  // namespace qx7::gui
