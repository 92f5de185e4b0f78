#pragma once
// Page 284: the tube pump exchange is recorded; Next goes on as the road says.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class PumpExchangeDonePage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit PumpExchangeDonePage(const PageContext& context);
};

}  // namespace qx7::gui
