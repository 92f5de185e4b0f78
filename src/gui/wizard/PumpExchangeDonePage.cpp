#include "gui/wizard/PumpExchangeDonePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

PumpExchangeDonePage::PumpExchangeDonePage(const PageContext& context) : ProcedurePage(context, 284, {1331}) {}

QX7_REGISTER_WIZARD_PAGE(PumpExchangeDonePage, 284);

}  // namespace qx7::gui
