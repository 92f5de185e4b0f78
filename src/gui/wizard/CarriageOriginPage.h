#pragma once
// Page 157: the user adjusts the carriage origin in the printer's own menu and confirms it by
// ticking a box; Next is open only while the box is ticked, and every arrival clears it.

#include "gui/wizard/ProcedurePage.h"

class QCheckBox;

namespace qx7::gui {

class CarriageOriginPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CarriageOriginPage(const PageContext& context);

    void OnSetActive() override;

  private:
    QCheckBox* confirm_ = nullptr;
};

}  // namespace qx7::gui
