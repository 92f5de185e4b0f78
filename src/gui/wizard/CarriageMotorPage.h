#pragma once
// Page 206: records the carriage motor exchange in the printer.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class CarriageMotorPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CarriageMotorPage(const PageContext& context);
};

}  // namespace qx7::gui
