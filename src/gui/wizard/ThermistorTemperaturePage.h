#pragma once
// Page 136: the thermometer reading, typed in degrees Fahrenheit or Celsius. The other unit's
// edit follows the typed one; a text that is no number is said on Next, not while typing.
// Next sends the whole-Fahrenheit value to the printer. The unit chosen is kept in the
// user's settings for the next time.

#include "core/app/ThermistorCalibration.h"
#include "gui/wizard/WizardPage.h"

class QLineEdit;
class QRadioButton;

namespace qx7::gui {

class ThermistorTemperaturePage final : public WizardPage {
    Q_OBJECT

  public:
    explicit ThermistorTemperaturePage(const PageContext& context);

    void OnSetActive() override;
    int OnWizardNext() override;

  private:
    bool FahrenheitSelected() const;
    ThermistorTexts Shown() const;
    // The selected unit's edit enabled, the other one derived from it.
    void UpdateUnits();

    QRadioButton* fahrenheit_ = nullptr;
    QRadioButton* celsius_ = nullptr;
    QLineEdit* fahrenheitEdit_ = nullptr;
    QLineEdit* celsiusEdit_ = nullptr;
    ThermistorValues values_;
    bool arriving_ = false;  // the controls are being filled: no update until they all are
};

}  // namespace qx7::gui
