#include "gui/service/ResetTube.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CResetTube::CResetTube(const PageContext& context)
    : ProcedurePage(context, 281, {1324, 1323}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CResetTube, 281);

}  // namespace qx7::gui
