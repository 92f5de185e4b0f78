#include "gui/service/CRMotorChg1.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CCRMotorChg1::CCRMotorChg1(const PageContext& context)
    : ProcedurePage(context, 206, {1161}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(CCRMotorChg1, 206);

}  // namespace qx7::gui
