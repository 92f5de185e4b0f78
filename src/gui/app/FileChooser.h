#pragma once
// Choosing files and folders. Pages take the interface, so tests answer with a preset path
// instead of a dialog waiting for a user.

#include <QString>

class QWidget;

namespace qx7::gui {

class IFileChooser {
  public:
    virtual ~IFileChooser() = default;
    // Each answers the chosen path, or an empty text when the user cancelled. `filter` uses
    // Qt's form ("Log files (*.log *.zlg);;All files (*)").
    virtual QString OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) = 0;
    // Asks before replacing an existing file.
    virtual QString SaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    virtual QString Folder(QWidget* parent, const QString& caption, const QString& start) = 0;
};

class QtFileChooser final : public IFileChooser {
  public:
    QString OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                     const QString& filter) override;
    QString SaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString Folder(QWidget* parent, const QString& caption, const QString& start) override;
};

}  // namespace qx7::gui
