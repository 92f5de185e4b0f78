#include "gui/service/AdjCRSpeed1.h"

#include "gui/app/PageRegistry.h"

namespace qx7::gui {

CAdjCRSpeed1::CAdjCRSpeed1(const PageContext& context) : ProcedurePage(context, 148, {1043}) {}

QX7_REGISTER_WIZARD_PAGE(CAdjCRSpeed1, 148);

}  // namespace qx7::gui
