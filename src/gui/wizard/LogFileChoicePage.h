#pragma once
// Page 178: the saved log to look at, typed, chosen with Browse or dropped on the page.

#include "gui/wizard/WizardPage.h"

class QLineEdit;
class QPushButton;

namespace qx7::gui {

class LogFileChoicePage final : public WizardPage {
    Q_OBJECT

  public:
    explicit LogFileChoicePage(const PageContext& context);

    void OnSetActive() override;
    int OnWizardNext() override;

    // Button 1096: the file chooser, starting at the edited name; OK replaces the name.
    void Browse();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QLineEdit* name_ = nullptr;
    QPushButton* browse_ = nullptr;
    bool firstActivation_ = true;
};

}  // namespace qx7::gui
