#include "gui/app/MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {
namespace {

int RunBox(QWidget* owner, const QString& caption, const std::string& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    OverrideCursorPause normalPointer;
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        owner = modal;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, QString::fromStdString(text), buttons, owner);
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
    RunBox(owner_, Caption(), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxSink::AskYesNo(const std::string& text) {
    return AskYesNoCaptioned(text, {});
}

bool MessageBoxSink::AskYesNoCaptioned(const std::string& text, const std::string& caption) {
    return RunBox(owner_, caption.empty() ? Caption() : QString::fromStdString(caption), text,
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace qx7::gui
