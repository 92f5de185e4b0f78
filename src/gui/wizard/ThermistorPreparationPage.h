#pragma once
// Page 135: the printer has been on long enough for its thermistors to settle (or, on the main
// board road, the carriage speed adjustment has finished); Next once the box says so.

#include "gui/wizard/ConfirmationBoxPage.h"

namespace qx7::gui {

class ThermistorPreparationPage final : public ConfirmationBoxPage {
    Q_OBJECT

  public:
    explicit ThermistorPreparationPage(const PageContext& context);
};

}  // namespace qx7::gui
