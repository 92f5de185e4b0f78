#pragma once
// Page 156, the operation menu at the end of the technicians' roads.

#include "gui/wizard/MenuPage.h"

namespace qx7::gui {

class OperationMenuPage final : public MenuPage {
    Q_OBJECT

  public:
    explicit OperationMenuPage(const PageContext& context);
};

}  // namespace qx7::gui
