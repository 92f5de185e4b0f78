#include "gui/wizard/TubeWarningResetPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

TubeWarningResetPage::TubeWarningResetPage(const PageContext& context)
    : ProcedurePage(context, PageId::kTubeWarningReset, {1324, 1323}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(TubeWarningResetPage, PageId::kTubeWarningReset);

}  // namespace qx7::gui
