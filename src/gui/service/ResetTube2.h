#pragma once
// Page 282: the "Clean Tube W" warning is reset; Next returns to the operation menu.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CResetTube2 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CResetTube2(const PageContext& context);
};

}  // namespace qx7::gui
