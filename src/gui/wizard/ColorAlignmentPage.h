#pragma once
// Page 265: the alignment of white and colour printing, done with the maintenance tool.

#include "gui/wizard/MaintenanceToolPage.h"

namespace qx7::gui {

class ColorAlignmentPage final : public MaintenanceToolPage {
    Q_OBJECT

  public:
    explicit ColorAlignmentPage(const PageContext& context);
};

}  // namespace qx7::gui
