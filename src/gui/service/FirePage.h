#pragma once
// Page 257: the firing adjustment of the heads, done with the maintenance tool.

#include "gui/service/MaintenanceToolPage.h"

namespace qx7::gui {

class CFirePage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit CFirePage(const PageContext& context);
};

}  // namespace qx7::gui
