#pragma once
// Page 149: wait until the carriage stops; Next goes on as the road says.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class CarriageSpeedWaitPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CarriageSpeedWaitPage(const PageContext& context);
};

}  // namespace qx7::gui
