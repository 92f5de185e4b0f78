#pragma once
// Page 284: the tube pump exchange is recorded; Next goes on as the road says.

#include "gui/service/ProcedurePage.h"

namespace qx7::gui {

class CPumpChg2 final : public ProcedurePage {
    Q_OBJECT

  public:
    explicit CPumpChg2(const PageContext& context);
};

}  // namespace qx7::gui
