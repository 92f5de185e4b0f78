#pragma once
// What the procedure pages without input share: word-wrapped instruction labels, one a
// numbered control, and Next through the core's ServicePageNext (the page's printer step,
// skipped in demo mode, its failure message, and the road's next page). One class serves
// every such page; ProcedurePageTable.cpp lists them with their labels.

#include <span>

#include "gui/wizard/WizardPage.h"

class QCheckBox;

namespace qx7::gui {

class ProcedurePage : public WizardPage {
    Q_OBJECT

  public:
    // kShown: the page's Next runs a printer step and shows the hourglass meanwhile.
    enum class Hourglass { kShown, kNotShown };

    // Lays out one label per control number, top to bottom in that order. When the page's
    // row of the page table names a confirmation box, the box follows the labels and Next
    // is open only while it is ticked.
    ProcedurePage(const PageContext& context, PageId page, std::span<const int> labels,
                  Hourglass hourglass = Hourglass::kNotShown);

    // The base activation; a confirmation box is cleared on every arrival.
    void OnSetActive() override;
    int OnWizardNext() override;

  private:
    Hourglass hourglass_;
    QCheckBox* confirm_ = nullptr;
};

}  // namespace qx7::gui
