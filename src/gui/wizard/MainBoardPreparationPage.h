#pragma once
// Page 263: what must be done before the main board procedure can use this tool; Next leads
// to the connection page.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class MainBoardPreparationPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit MainBoardPreparationPage(const PageContext& context);
};

}  // namespace qx7::gui
