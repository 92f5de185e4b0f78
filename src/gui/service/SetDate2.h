#pragma once
// Page 163: the printer's clock is set; Next goes on by the road (the reset settings page on
// the main board road, the operation menu after setting the clock alone, else the battery
// record).

#include "gui/app/WizardPage.h"

namespace qx7::gui {

class CSetDate2 final : public WizardPage {
    Q_OBJECT

  public:
    explicit CSetDate2(const PageContext& context);

    int OnWizardNext() override;
};

}  // namespace qx7::gui
