#include "gui/service/BatteryChg1.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CBatteryChg1::CBatteryChg1(const PageContext& context)
    : ProcedurePage(context, 172, {1083}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CBatteryChg1, 172);

}  // namespace qx7::gui
