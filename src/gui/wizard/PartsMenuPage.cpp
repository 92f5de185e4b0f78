#include "gui/wizard/PartsMenuPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

PartsMenuPage::PartsMenuPage(const PageContext& context) : MenuPage(context, PageId::kPartsMenu) {
    auto* layout = new QVBoxLayout(this);
    // Battery, carriage motor and tube pump for everyone; the roads of the other parts need a
    // technician and show with --service.
    layout->addWidget(MakeChoiceGroup(1272,
                                      {{1009, false},
                                       {1012, false},
                                       {1013, false},
                                       {1007, true},
                                       {1008, true},
                                       {1004, true},
                                       {1010, true}},
                                      1009));
    layout->addWidget(MakeNote(1057));
    layout->addStretch(1);
    layout->addWidget(MakeVersionFields());
}

QX7_REGISTER_WIZARD_PAGE(PartsMenuPage, PageId::kPartsMenu);

}  // namespace qx7::gui
