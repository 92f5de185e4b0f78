#pragma once
// Page 133, where the wizard opens: which part was exchanged.

#include "gui/wizard/MenuPage.h"

namespace qx7::gui {

class PartsMenuPage final : public MenuPage {
    Q_OBJECT

  public:
    explicit PartsMenuPage(const PageContext& context);
};

}  // namespace qx7::gui
