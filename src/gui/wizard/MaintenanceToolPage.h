#pragma once
// The pages of the steps done with the companion maintenance tool (257 firing adjustment, 265
// white/colour alignment, 286 IP address): the task in words, a button that starts the tool
// (each press starts it again), and the box that says the task is done. Nothing goes to the
// printer from here. One class serves the three pages; ProcedurePageTable.cpp lists their texts.

#include <span>

#include "gui/wizard/ConfirmationBoxPage.h"

class QPushButton;

namespace qx7::gui {

inline constexpr int kControlStartMaintenanceTool = 1297;

class MaintenanceToolPage : public ConfirmationBoxPage {
    Q_OBJECT

  public:
    // The texts in the order given, the first as the page's heading, then the button and the
    // confirmation box.
    MaintenanceToolPage(const PageContext& context, PageId page, std::span<const int> texts);

    // Looks the tool up (beside the program, then PATH) and starts it without waiting for
    // it; message 5101 when it is not there or does not start.
    void StartMaintenanceTool();

  private:
    QPushButton* start_ = nullptr;
};

}  // namespace qx7::gui
