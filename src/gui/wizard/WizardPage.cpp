#include "gui/wizard/WizardPage.h"

#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/WizardSheet.h"

namespace qx7::gui {

WizardPage::WizardPage(const PageContext& context, PageId page, QWidget* parent)
    : QWidget(parent),
      context_(context),
      templateId_(page),
      info_{page, "", "", 0, kButtonsUnchanged, 0, false} {}

WizardPage::~WizardPage() = default;

void WizardPage::AttachToSheet(WizardSheet* sheet, const WizardPageInfo& info) {
    sheet_ = sheet;
    info_ = info;
}

void WizardPage::OnSetActive() {
    if (info_.buttonsOnShow != kButtonsUnchanged) {
        SetWizardButtons(info_.buttonsOnShow);
    }
    ApplyControlTexts();
}

int WizardPage::OnWizardNext() {
    return GoToNextPage(App(), templateId_);
}

int WizardPage::OnWizardBack() {
    return App().GoBack();
}

bool WizardPage::OnQueryCancel() {
    if (!info_.cancelAsks) {
        return true;
    }
    return Msg().ConfirmCancel();
}

void WizardPage::SetWizardButtons(int flags) {
    if (sheet_ != nullptr) {
        sheet_->PostWizardButtons(flags);
    }
}

const Messages& WizardPage::Msg() const {
    return App().GetMessages();
}

LanguageId WizardPage::Language() const {
    return App().GetLanguage();
}

QString WizardPage::LocalText(int number) const {
    return gui::LocalText(Language(), number);
}

int WizardPage::SetCtrlText(QWidget* widget, int number) const {
    return gui::SetCtrlText(widget, number, Language());
}

int WizardPage::SetCtrlText(int control, int number) const {
    return gui::SetCtrlText(Control(control), number, Language());
}

void WizardPage::ApplyControlTexts() const {
    for (const ControlText& text : PageControlTexts(templateId_, App().GetOperation())) {
        SetCtrlText(text.control, text.stringNumber);
    }
}

void WizardPage::FocusControl(QWidget* control) const {
    if (sheet_ != nullptr) {
        sheet_->SetPageFocus(control);
    } else if (control != nullptr) {
        control->setFocus();
    }
}

QWidget* WizardPage::Control(int number) const {
    return FindControl(this, number);
}

}  // namespace qx7::gui
