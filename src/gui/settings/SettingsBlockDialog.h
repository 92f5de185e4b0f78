#pragma once
// Layout 144: one settings block of a saved log, parameter by parameter, with a red mark on the
// rows that differ from the factory value when a comparison was asked; Save As writes the
// block's CSV file. F3 / Shift+F3 and two buttons move from one marked row to the next, and a
// line below the list counts them.

#include <memory>
#include <string>

#include "gui/app/ViewerDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QTreeView;

namespace qx7 {
class CEEPFile;
class SettingsRows;
}  // namespace qx7

namespace qx7::gui {

class SettingsTableModel;

class SettingsBlockDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    // `values` holds the block's template filled with its data; `factory` the same template with
    // its defaults, or nullptr when no comparison was asked. The dialog owns both: it is shown
    // window-modal and outlives the code that made it. `logPath` is the log the block comes
    // from, which Save As refuses to write over.
    SettingsBlockDialog(const PageContext& context, std::string logPath,
                        std::unique_ptr<CEEPFile> values, std::unique_ptr<CEEPFile> factory,
                        QWidget* parent);
    ~SettingsBlockDialog() override;

    // What Save As proposes next: "EEPROM-8011.csv" at first, then the last path chosen.
    const std::string& SaveName() const { return saveName_; }

  private:
    void SaveAs();
    void SetColumnWidths();
    // Selects the next (direction 1) or previous (-1) differing row from the chosen one.
    void MoveToDifference(int direction);
    // The count of differing rows; `wrappedDirection` (1 or -1) adds that the last move went
    // round the end of the list, 0 leaves that out.
    QString DifferencesText(int wrappedDirection) const;
    // The status line keeps one height whatever it says, so the list does not jump on a move.
    void ReserveDifferencesHeight(int width);

    std::string logPath_;
    std::unique_ptr<CEEPFile> values_;
    std::unique_ptr<CEEPFile> factory_;
    std::unique_ptr<SettingsRows> rows_;
    // Declared after the rows it reads, so it goes first.
    std::unique_ptr<SettingsTableModel> model_;
    std::string saveName_;
    QTreeView* list_ = nullptr;
    QLabel* differences_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
};

}  // namespace qx7::gui
