#include "gui/wizard/SettingsResetPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

SettingsResetPage::SettingsResetPage(const PageContext& context)
    : ProcedurePage(context, 279, {1321, 1322}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(SettingsResetPage, 279);

}  // namespace qx7::gui
