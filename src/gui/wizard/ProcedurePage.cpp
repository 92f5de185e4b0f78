#include "gui/wizard/ProcedurePage.h"

#include <QLabel>
#include <QVBoxLayout>
#include <optional>

#include "core/app/ServicePageNext.h"
#include "gui/app/ControlText.h"
#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {

ProcedurePage::ProcedurePage(const PageContext& context, PageId page,
                             std::initializer_list<int> labels, Hourglass hourglass)
    : WizardPage(context, page), hourglass_(hourglass) {
    auto* layout = new QVBoxLayout(this);
    for (const int number : labels) {
        auto* label = new QLabel(this);
        SetControlNumber(label, number);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    layout->addStretch(1);
}

int ProcedurePage::OnWizardNext() {
    std::optional<WaitCursorScope> wait;
    if (hourglass_ == Hourglass::kShown) {
        wait.emplace();
    }
    return ServicePageNext(App(), TemplateId());
}

}  // namespace qx7::gui
