#pragma once
// Page 257: the firing adjustment of the heads, done with the maintenance tool.

#include "gui/wizard/MaintenanceToolPage.h"

namespace qx7::gui {

class FiringAdjustmentPage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit FiringAdjustmentPage(const PageContext& context);
};

}  // namespace qx7::gui
