#include "gui/app/MessageBoxSink.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {
namespace {

int RunBox(QWidget* owner, const std::string& text, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton defaultButton) {
    OverrideCursorPause normalPointer;
    QMessageBox box(QMessageBox::NoIcon, MessageBoxSink::Caption(), QString::fromStdString(text),
                    buttons, owner);
    box.setObjectName(QStringLiteral("messageBox"));
    // Table texts are plain; a '<' must not switch the box to rich text.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

QString MessageBoxSink::Caption() {
    return QCoreApplication::applicationName();
}

void MessageBoxSink::ShowOk(const std::string& text) {
    RunBox(owner_, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxSink::AskYesNo(const std::string& text) {
    return RunBox(owner_, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

}  // namespace qx7::gui
