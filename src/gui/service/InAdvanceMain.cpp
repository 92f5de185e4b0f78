#include "gui/service/InAdvanceMain.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CInAdvanceMain::CInAdvanceMain(const PageContext& context) : ProcedurePage(context, 263, {1304}) {}

QX7_REGISTER_WIZARD_PAGE(CInAdvanceMain, 263);

}  // namespace qx7::gui
