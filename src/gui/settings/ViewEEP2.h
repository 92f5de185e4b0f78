#pragma once
// Layout 144: one settings block of a saved log, parameter by parameter, with a red mark on the
// rows that differ from the factory value when a comparison was asked; Save As writes the
// block's CSV file.

#include <memory>
#include <string>

#include "gui/app/ViewerDialog.h"

class QLineEdit;
class QTreeView;

namespace qx7 {
class CEEPFile;
class SettingsRows;
}  // namespace qx7

namespace qx7::gui {

class SettingsTableModel;

class CViewEEP2 final : public ViewerDialog {
    Q_OBJECT

  public:
    // `values` holds the block's template filled with its data; `factory` the same template with
    // its defaults, or nullptr when no comparison was asked. The dialog owns both: it is shown
    // window-modal and outlives the code that made it.
    CViewEEP2(const PageContext& context, std::unique_ptr<CEEPFile> values,
              std::unique_ptr<CEEPFile> factory, QWidget* parent);
    ~CViewEEP2() override;

    // What Save As proposes next: "EEPROM-8011.csv" at first, then the last path chosen.
    const std::string& SaveName() const { return saveName_; }

  private:
    void SaveAs();
    void SetColumnWidths();

    std::unique_ptr<CEEPFile> values_;
    std::unique_ptr<CEEPFile> factory_;
    std::unique_ptr<SettingsRows> rows_;
    // Declared after the rows it reads, so it goes first.
    std::unique_ptr<SettingsTableModel> model_;
    std::string saveName_;
    QTreeView* list_ = nullptr;
};

}  // namespace qx7::gui
