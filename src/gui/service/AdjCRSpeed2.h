#pragma once
// Page 149: wait until the carriage stops; Next goes on as the road says.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CAdjCRSpeed2 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CAdjCRSpeed2(const PageContext& context);
};

}  // namespace qx7::gui
