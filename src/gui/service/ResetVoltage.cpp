#include "gui/service/ResetVoltage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CResetVoltage::CResetVoltage(const PageContext& context)
    : ProcedurePage(context, 279, {1321, 1322}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CResetVoltage, 279);

}  // namespace qx7::gui
