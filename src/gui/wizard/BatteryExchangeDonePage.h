#pragma once
// Page 173: the battery exchange is recorded; Next goes on as the road says.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class BatteryExchangeDonePage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit BatteryExchangeDonePage(const PageContext& context);
};

}  // namespace qx7::gui
