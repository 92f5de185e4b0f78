#pragma once
// Page 147: the thermistors are calibrated; Next leads to the operation menu.

#include "gui/wizard/WizardPage.h"

namespace qx7::gui {

class ThermistorDonePage final : public WizardPage {
    Q_OBJECT

  public:
    explicit ThermistorDonePage(const PageContext& context);
};

}  // namespace qx7::gui
