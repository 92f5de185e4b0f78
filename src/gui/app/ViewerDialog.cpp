#include "gui/app/ViewerDialog.h"

#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"

namespace qx7::gui {

ViewerDialog::ViewerDialog(const PageContext& context, const QString& className, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(className);
    // A dialog box, not a tool window: no context help button.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

const Messages& ViewerDialog::Msg() const {
    return App().GetMessages();
}

LanguageId ViewerDialog::Language() const {
    return App().GetLanguage();
}

QString ViewerDialog::LocalText(int number) const {
    return gui::LocalText(Language(), number);
}

int ViewerDialog::SetCtrlText(QWidget* widget, int number) const {
    return gui::SetCtrlText(widget, number, Language());
}

int ViewerDialog::SetCtrlText(int control, int number) const {
    return gui::SetCtrlText(Control(control), number, Language());
}

void ViewerDialog::BeginReading() {
    reading_ = true;
    setCursor(Qt::BusyCursor);
}

void ViewerDialog::EndReading() {
    reading_ = false;
    unsetCursor();
}

QWidget* ViewerDialog::Control(int number) const {
    return FindControl(this, number);
}

}  // namespace qx7::gui
