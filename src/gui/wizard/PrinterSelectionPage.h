#pragma once
// Page 217: the ready QX-7 printers of the spooler in a drop-down list; the one chosen becomes
// the printer of every later step. The list is made anew on every arrival and every "Search
// Printer".

#include <string>

#include "gui/wizard/WizardPage.h"

class QComboBox;
class QPushButton;

namespace qx7::gui {

class PrinterSelectionPage final : public WizardPage {
    Q_OBJECT

  public:
    explicit PrinterSelectionPage(const PageContext& context);

    void OnSetActive() override;
    int OnWizardNext() override;

    // The entry last selected in the list (not yet the application's printer).
    const std::string& ChosenName() const { return chosen_; }

  private:
    // Fills the list through the core (message 244 when no printer is found) and sets the
    // buttons: Back and Next with a printer listed, Back alone without.
    void FillList();

    QComboBox* printers_ = nullptr;
    QPushButton* search_ = nullptr;
    std::string chosen_;
};

}  // namespace qx7::gui
