#pragma once
// Page 130: switch the printer on and connect it, before the printer is chosen.

#include "gui/wizard/WizardPage.h"

class QLabel;

namespace qx7::gui {

class ConnectionPage final : public WizardPage {
    Q_OBJECT

  public:
    explicit ConnectionPage(const PageContext& context);

    void OnSetActive() override;
};

}  // namespace qx7::gui
