#include "gui/wizard/SettingsResetPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

SettingsResetPage::SettingsResetPage(const PageContext& context)
    : ProcedurePage(context, PageId::kSettingsReset, {1321, 1322}, Hourglass::kShown) {}

QX7_REGISTER_WIZARD_PAGE(SettingsResetPage, PageId::kSettingsReset);

}  // namespace qx7::gui
