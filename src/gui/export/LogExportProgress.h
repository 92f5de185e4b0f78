#pragma once
// The small windows that show how far a log export has come (text: 229, CSV: 242). They live
// only while the export runs, modeless over the export dialog, and cannot be closed by the
// user: Enter, Escape and the close box do nothing.

#include <QDialog>

#include "core/text/Language.h"

class QProgressBar;

namespace qx7::gui {

class LogExportProgress : public QDialog {
    Q_OBJECT

  public:
    // The bar (1182) runs from 0 to `upper`, at 0.
    QProgressBar* Bar() const { return bar_; }

    // The user cannot end it; its owner destroys it when the export is over.
    void accept() override {}
    void reject() override {}

  protected:
    LogExportProgress(QWidget* owner, LanguageId language, const QString& className,
                      int titleString, int labelNumber, int labelString, int upper);

  private:
    QProgressBar* bar_ = nullptr;
};

// Layout 229: the text export.
class TextExportProgress final : public LogExportProgress {
    Q_OBJECT

  public:
    TextExportProgress(QWidget* owner, LanguageId language, int upper);
};

// Layout 242: the CSV export.
class CsvExportProgress final : public LogExportProgress {
    Q_OBJECT

  public:
    CsvExportProgress(QWidget* owner, LanguageId language, int upper);
};

}  // namespace qx7::gui
