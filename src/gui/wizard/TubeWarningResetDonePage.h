#pragma once
// Page 282: the "Clean Tube W" warning is reset; Next returns to the operation menu.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class TubeWarningResetDonePage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit TubeWarningResetDonePage(const PageContext& context);
};

}  // namespace qx7::gui
