#include "gui/wizard/ColorAlignmentPage.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

// Heading, an empty line (1310 holds one blank), what to do with the tool.
ColorAlignmentPage::ColorAlignmentPage(const PageContext& context)
    : MaintenanceToolPage(context, PageId::kColorAlignment, {1309, 1310, 1311}) {}

QX7_REGISTER_WIZARD_PAGE(ColorAlignmentPage, PageId::kColorAlignment);

}  // namespace qx7::gui
