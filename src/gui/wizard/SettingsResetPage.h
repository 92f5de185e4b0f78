#pragma once
// Page 279: resets the statistics and then the IP address of a printer with a new main
// board; after a failure both run again on the next Next.

#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {

class SettingsResetPage final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit SettingsResetPage(const PageContext& context);
};

}  // namespace qx7::gui
