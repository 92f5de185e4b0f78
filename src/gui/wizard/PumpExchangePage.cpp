#include "gui/wizard/PumpExchangePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

PumpExchangePage::PumpExchangePage(const PageContext& context)
    : ProcedurePage(context, PageId::kPumpExchange, {1330}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(PumpExchangePage, PageId::kPumpExchange);

}  // namespace qx7::gui
