#pragma once
// Page 173: the battery exchange is recorded; Next goes on as the road says.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CBatteryChg2 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CBatteryChg2(const PageContext& context);
};

}  // namespace qx7::gui
