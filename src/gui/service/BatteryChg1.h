#pragma once
// Page 172: records the lithium battery exchange in the printer.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CBatteryChg1 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CBatteryChg1(const PageContext& context);
};

}  // namespace qx7::gui
