#pragma once
// Page 281: resets the printer's "Clean Tube W" warning. It keeps the buttons the page
// before left.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class TubeWarningResetPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit TubeWarningResetPage(const PageContext& context);
};

}  // namespace qx7::gui
