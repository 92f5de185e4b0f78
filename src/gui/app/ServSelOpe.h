#pragma once
// Page 156, the operation menu at the end of the technicians' roads.

#include "gui/app/MenuPage.h"

namespace qx7::gui {

class CServSelOpe final : public MenuPage {
    Q_OBJECT

  public:
    explicit CServSelOpe(const PageContext& context);
};

}  // namespace qx7::gui
