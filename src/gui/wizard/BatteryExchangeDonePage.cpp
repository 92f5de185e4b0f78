#include "gui/wizard/BatteryExchangeDonePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

BatteryExchangeDonePage::BatteryExchangeDonePage(const PageContext& context) : ProcedurePage(context, 173, {1084}) {}

QX7_REGISTER_WIZARD_PAGE(BatteryExchangeDonePage, 173);

}  // namespace qx7::gui
