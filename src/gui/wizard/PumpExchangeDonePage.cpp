#include "gui/wizard/PumpExchangeDonePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

PumpExchangeDonePage::PumpExchangeDonePage(const PageContext& context)
    : ProcedurePage(context, PageId::kPumpExchangeDone, {1331}) {}

QX7_REGISTER_WIZARD_PAGE(PumpExchangeDonePage, PageId::kPumpExchangeDone);

}  // namespace qx7::gui
