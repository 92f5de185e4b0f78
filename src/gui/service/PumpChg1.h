#pragma once
// Page 283: records the tube pump exchange in the printer.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CPumpChg1 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CPumpChg1(const PageContext& context);
};

}  // namespace qx7::gui
