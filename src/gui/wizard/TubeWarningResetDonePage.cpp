#include "gui/wizard/TubeWarningResetDonePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

TubeWarningResetDonePage::TubeWarningResetDonePage(const PageContext& context)
    : ProcedurePage(context, PageId::kTubeWarningResetDone, {1325, 1326}) {}

QX7_REGISTER_WIZARD_PAGE(TubeWarningResetDonePage, PageId::kTubeWarningResetDone);

}  // namespace qx7::gui
