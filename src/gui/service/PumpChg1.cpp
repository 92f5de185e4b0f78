#include "gui/service/PumpChg1.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CPumpChg1::CPumpChg1(const PageContext& context)
    : ProcedurePage(context, 283, {1330}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CPumpChg1, 283);

}  // namespace qx7::gui
