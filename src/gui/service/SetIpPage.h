#pragma once
// Page 286: the printer's IP address, assigned with the maintenance tool.

#include "gui/service/MaintenanceToolPage.h"

namespace qx7::gui {

class CSetIpPage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit CSetIpPage(const PageContext& context);
};

}  // namespace qx7::gui
