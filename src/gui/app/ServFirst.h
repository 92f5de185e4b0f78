#pragma once
// Page 130: switch the printer on and connect it, before the printer is chosen.

#include "gui/app/WizardPage.h"

class QLabel;

namespace qx7::gui {

class CServFirst final : public WizardPage {
    Q_OBJECT

  public:
    explicit CServFirst(const PageContext& context);

    void OnSetActive() override;
};

}  // namespace qx7::gui
