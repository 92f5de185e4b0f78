#pragma once
// Page 172: records the lithium battery exchange in the printer.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class BatteryExchangePage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit BatteryExchangePage(const PageContext& context);
};

}  // namespace qx7::gui
