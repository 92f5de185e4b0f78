#pragma once
// Layout 226: the settings blocks a saved log holds, one of which the user displays
// (SettingsBlockDialog), optionally compared with the factory values.

#include <memory>
#include <string>
#include <vector>

#include "core/settings/BlockList.h"
#include "gui/app/ViewerDialog.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace qx7::gui {

class BackgroundWork;

class SettingsListDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    // Reads the blocks of the log on a worker and lets the file go again: nothing of it (nor
    // the temporary copy of a compressed log) stays open while the dialog is up.
    SettingsListDialog(const PageContext& context, const std::string& logPath, QWidget* parent);
    // Closing stops the reading (its result is dropped); deleting waits for its thread.
    ~SettingsListDialog() override;
    void done(int result) override;

  private:
    void ShowRead(std::vector<SettingsBlockSlot> blocks);
    // Display, or a double click on an item: the chosen block in its own dialog.
    void Display();

    std::string logPath_;                   // a displayed block's Save As never writes over it
    std::vector<SettingsBlockSlot> slots_;  // one per list item, in list order
    QListWidget* list_ = nullptr;
    QCheckBox* compare_ = nullptr;
    QLabel* noBlocks_ = nullptr;
    QPushButton* display_ = nullptr;
    QPushButton* close_ = nullptr;
    std::unique_ptr<BackgroundWork> reading_;  // last: its thread ends before the rest goes
};

}  // namespace qx7::gui
