#pragma once
// Page 148: starts the printer's automatic carriage speed adjustment, which then runs in the
// printer for some minutes unwatched. Its Next keeps the normal pointer.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class CarriageSpeedStartPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CarriageSpeedStartPage(const PageContext& context);
};

}  // namespace qx7::gui
