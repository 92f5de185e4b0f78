#include "gui/wizard/MainBoardPreparationPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

MainBoardPreparationPage::MainBoardPreparationPage(const PageContext& context)
    : ProcedurePage(context, PageId::kMainBoardPreparation, {1304}) {}

QX7_REGISTER_WIZARD_PAGE(MainBoardPreparationPage, PageId::kMainBoardPreparation);

}  // namespace qx7::gui
