#pragma once
// Page 147: the thermistors are calibrated; Next leads to the operation menu.

#include "gui/app/WizardPage.h"

namespace qx7::gui {

class CAdjThermis3 final : public WizardPage {
    Q_OBJECT

  public:
    explicit CAdjThermis3(const PageContext& context);
};

}  // namespace qx7::gui
