#pragma once
// Page 163: the printer's clock is set; Next goes on by the road (the reset settings page on
// the main board road, the operation menu after setting the clock alone, else the battery
// record).

#include "gui/wizard/WizardPage.h"

namespace qx7::gui {

class PrinterDateDonePage final : public WizardPage {
    Q_OBJECT

  public:
    explicit PrinterDateDonePage(const PageContext& context);

    int OnWizardNext() override;
};

}  // namespace qx7::gui
