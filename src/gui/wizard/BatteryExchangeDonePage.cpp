#include "gui/wizard/BatteryExchangeDonePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

BatteryExchangeDonePage::BatteryExchangeDonePage(const PageContext& context)
    : ProcedurePage(context, PageId::kBatteryExchangeDone, {1084}) {}

QX7_REGISTER_WIZARD_PAGE(BatteryExchangeDonePage, PageId::kBatteryExchangeDone);

}  // namespace qx7::gui
