#pragma once
// Page 206: records the carriage motor exchange in the printer.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CCRMotorChg1 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CCRMotorChg1(const PageContext& context);
};

}  // namespace qx7::gui
