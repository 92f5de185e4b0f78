#include "gui/service/BatteryChg2.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CBatteryChg2::CBatteryChg2(const PageContext& context) : ProcedurePage(context, 173, {1084}) {}

QX7_REGISTER_WIZARD_PAGE(CBatteryChg2, 173);

}  // namespace qx7::gui
