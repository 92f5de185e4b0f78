#include "gui/service/SetIpPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

// Heading, what to do with the tool (and what to do without a network cable).
CSetIpPage::CSetIpPage(const PageContext& context)
    : MaintenanceToolPage(context, 286, {1333, 1334}) {}

QX7_REGISTER_WIZARD_PAGE(CSetIpPage, 286);

}  // namespace qx7::gui
