#pragma once
// Page 160: the date and time for the printer's clock. While "Use This PC's Date and Time" is
// ticked the fields follow the PC's clock, refreshed every second; cleared, they take typed
// values. Next checks the fields and sends the time to the printer.

#include <QTimer>
#include <array>

#include "core/app/PrinterDateFields.h"
#include "gui/wizard/WizardPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qx7::gui {

class PrinterDatePage final : public WizardPage {
    Q_OBJECT

  public:
    explicit PrinterDatePage(const PageContext& context);

    void OnSetActive() override;
    void OnKillActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;
    bool OnQueryCancel() override;

    // The refresh timer's slot: the fields take the PC's time now while the box is ticked.
    void Tick();
    bool IsRefreshing() const { return refresh_.isActive(); }

  private:
    void ShowPcTime();
    DateFieldTexts Shown() const;

    QCheckBox* usePcTime_ = nullptr;
    // Month, day, year, hour, minute, second: the order they stand in.
    std::array<QLineEdit*, 6> fields_{};
    QLabel* zoneName_ = nullptr;
    QTimer refresh_;
};

}  // namespace qx7::gui
