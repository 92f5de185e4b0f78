#include "gui/wizard/BatteryExchangePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

BatteryExchangePage::BatteryExchangePage(const PageContext& context)
    : ProcedurePage(context, PageId::kBatteryExchange, {1083}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(BatteryExchangePage, PageId::kBatteryExchange);

}  // namespace qx7::gui
