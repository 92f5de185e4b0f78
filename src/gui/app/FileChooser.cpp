#include "gui/app/FileChooser.h"

#include <QFileDialog>

#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {

QString QtFileChooser::OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter) {
    OverrideCursorPause normalPointer;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString QtFileChooser::SaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter) {
    OverrideCursorPause normalPointer;
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString QtFileChooser::Folder(QWidget* parent, const QString& caption, const QString& start) {
    OverrideCursorPause normalPointer;
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

}  // namespace qx7::gui
