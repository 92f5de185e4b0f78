#include "gui/wizard/FiringAdjustmentPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

// Heading, the head and resolution combinations, what to do with the tool.
FiringAdjustmentPage::FiringAdjustmentPage(const PageContext& context)
    : MaintenanceToolPage(context, PageId::kFiringAdjustment, {1299, 1295, 1296}) {}

QX7_REGISTER_WIZARD_PAGE(FiringAdjustmentPage, PageId::kFiringAdjustment);

}  // namespace qx7::gui
