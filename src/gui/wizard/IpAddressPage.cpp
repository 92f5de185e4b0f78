#include "gui/wizard/IpAddressPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

// Heading, what to do with the tool (and what to do without a network cable).
IpAddressPage::IpAddressPage(const PageContext& context)
    : MaintenanceToolPage(context, PageId::kIpAddress, {1333, 1334}) {}

QX7_REGISTER_WIZARD_PAGE(IpAddressPage, PageId::kIpAddress);

}  // namespace qx7::gui
