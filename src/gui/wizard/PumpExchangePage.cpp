#include "gui/wizard/PumpExchangePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

PumpExchangePage::PumpExchangePage(const PageContext& context)
    : ProcedurePage(context, 283, {1330}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(PumpExchangePage, 283);

}  // namespace qx7::gui
