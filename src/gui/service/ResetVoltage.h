#pragma once
// Page 279: resets the statistics and then the IP address of a printer with a new main
// board; after a failure both run again on the next Next.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CResetVoltage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CResetVoltage(const PageContext& context);
};

}  // namespace qx7::gui
