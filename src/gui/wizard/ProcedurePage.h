#pragma once
// What the procedure pages without input share: word-wrapped instruction labels, one a
// numbered control, and Next through the core's ServicePageNext (the page's printer step,
// skipped in demo mode, its failure message, and the road's next page).

#include <initializer_list>

#include "gui/wizard/WizardPage.h"

namespace qx7::gui {

class ProcedurePage : public WizardPage {
    Q_OBJECT

  public:
    int OnWizardNext() override;

  protected:
    // kShown: the page's Next runs a printer step and shows the hourglass meanwhile.
    enum class Hourglass { kShown, kNotShown };

    // Lays out one label per control number, top to bottom in that order.
    ProcedurePage(const PageContext& context, PageId page, std::initializer_list<int> labels,
                  Hourglass hourglass = Hourglass::kNotShown);

  private:
    Hourglass hourglass_;
};

}  // namespace qx7::gui
