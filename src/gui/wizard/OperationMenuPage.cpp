#include "gui/wizard/OperationMenuPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

OperationMenuPage::OperationMenuPage(const PageContext& context)
    : MenuPage(context, PageId::kOperationMenu) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeNote(1056));
    layout->addWidget(MakeNote(1057));
    // 1027 (board settings) has no road and no text of its own: service mode shows the
    // layout's text, and choosing it leads to the parts menu like the first choice.
    layout->addWidget(MakeChoiceGroup(1278,
                                      {{1003, false},
                                       {1026, false},
                                       {1025, false},
                                       {1028, false},
                                       {1027, true, "Board Settings"}},
                                      1003));
    layout->addStretch(1);
    layout->addWidget(MakeVersionFields());
}

QX7_REGISTER_WIZARD_PAGE(OperationMenuPage, PageId::kOperationMenu);

}  // namespace qx7::gui
