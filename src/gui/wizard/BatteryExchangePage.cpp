#include "gui/wizard/BatteryExchangePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

BatteryExchangePage::BatteryExchangePage(const PageContext& context)
    : ProcedurePage(context, 172, {1083}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(BatteryExchangePage, 172);

}  // namespace qx7::gui
