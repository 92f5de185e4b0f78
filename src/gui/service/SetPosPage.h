#pragma once
// Page 265: the alignment of white and colour printing, done with the maintenance tool.

#include "gui/service/MaintenanceToolPage.h"

namespace qx7::gui {

class CSetPosPage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit CSetPosPage(const PageContext& context);
};

}  // namespace qx7::gui
