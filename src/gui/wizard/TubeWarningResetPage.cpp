#include "gui/wizard/TubeWarningResetPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

TubeWarningResetPage::TubeWarningResetPage(const PageContext& context)
    : ProcedurePage(context, 281, {1324, 1323}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(TubeWarningResetPage, 281);

}  // namespace qx7::gui
