#include "gui/wizard/MainBoardPreparationPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

MainBoardPreparationPage::MainBoardPreparationPage(const PageContext& context) : ProcedurePage(context, 263, {1304}) {}

QX7_REGISTER_WIZARD_PAGE(MainBoardPreparationPage, 263);

}  // namespace qx7::gui
