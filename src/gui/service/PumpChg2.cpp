#include "gui/service/PumpChg2.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CPumpChg2::CPumpChg2(const PageContext& context) : ProcedurePage(context, 284, {1331}) {}

QX7_REGISTER_WIZARD_PAGE(CPumpChg2, 284);

}  // namespace qx7::gui
