#pragma once
// Page 283: records the tube pump exchange in the printer.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class PumpExchangePage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit PumpExchangePage(const PageContext& context);
};

}  // namespace qx7::gui
