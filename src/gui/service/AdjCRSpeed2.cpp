#include "gui/service/AdjCRSpeed2.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CAdjCRSpeed2::CAdjCRSpeed2(const PageContext& context) : ProcedurePage(context, 149, {1044}) {}

QX7_REGISTER_WIZARD_PAGE(CAdjCRSpeed2, 149);

}  // namespace qx7::gui
