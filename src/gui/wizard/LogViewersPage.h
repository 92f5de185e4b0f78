#pragma once
// Page 225: the viewers of the chosen log, and its name. Finish ends the wizard.

#include "gui/wizard/WizardPage.h"

class QLineEdit;
class QPushButton;

namespace qx7::gui {

class LogViewersPage final : public WizardPage {
    Q_OBJECT

  public:
    explicit LogViewersPage(const PageContext& context);

    void OnSetActive() override;

  private:
    // Opens the viewer of the button on the log file name; the page stays as it is.
    void OpenViewer(int buttonNumber);

    QLineEdit* name_ = nullptr;
    QPushButton* settings_ = nullptr;  // 1188, only for a log with settings blocks
    QPushButton* fileInfo_ = nullptr;  // 1191, only for a log with file information
};

}  // namespace qx7::gui
