#pragma once
// Page 133, where the wizard opens: which part was exchanged.

#include "gui/app/MenuPage.h"

namespace qx7::gui {

class CServChgParts final : public MenuPage {
    Q_OBJECT

  public:
    explicit CServChgParts(const PageContext& context);
};

}  // namespace qx7::gui
