#include "gui/service/ResetTube2.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CResetTube2::CResetTube2(const PageContext& context) : ProcedurePage(context, 282, {1325, 1326}) {}

QX7_REGISTER_WIZARD_PAGE(CResetTube2, 282);

}  // namespace qx7::gui
