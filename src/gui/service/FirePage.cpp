#include "gui/service/FirePage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

// Heading, the head and resolution combinations, what to do with the tool.
CFirePage::CFirePage(const PageContext& context)
    : MaintenanceToolPage(context, 257, {1299, 1295, 1296}) {}

QX7_REGISTER_WIZARD_PAGE(CFirePage, 257);

}  // namespace qx7::gui
