#pragma once
// Page 286: the printer's IP address, assigned with the maintenance tool.

#include "gui/wizard/MaintenanceToolPage.h"

namespace qx7::gui {

class IpAddressPage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit IpAddressPage(const PageContext& context);
};

}  // namespace qx7::gui
