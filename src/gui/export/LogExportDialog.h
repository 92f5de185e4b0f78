#pragma once
// Layout 227, behind "View LOG" (1189) of the log page: the saved log as a text file beside it
// (the log's path + ".txt"), with the entry types the user ticks, then opened on the desktop.
// A CSV export of the same entries to a file the user names is built too; its button (1106)
// stays hidden and disabled. Each export reads the log through its own reader and writes
// through a file that replaces the target only once complete, under a progress window moved
// every 1000 entries.

#include <string>
#include <vector>

#include "core/base/AtomicOutputFile.h"
#include "core/export/LogExport.h"
#include "gui/app/ViewerDialog.h"

class QCloseEvent;

namespace qx7::gui {

class LogExportDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    LogExportDialog(const PageContext& context, std::string logPath, QWidget* parent);

    const std::string& LogPath() const { return logPath_; }
    // True while an export runs (its progress window is up).
    bool IsExporting() const { return exporting_; }

    // No closing while an export runs: the export's pass of the event loop must not end it.
    void reject() override;

  public slots:
    // Button 1105: the text export beside the log.
    void OnConvertText();
    // Button 1106: the CSV export to a file the user chooses.
    void OnConvertCsv();

  signals:
    // The progress bar has just moved to `position` (0 when the progress window appears, then
    // once every 1000 entries), before the event loop gets its pass.
    void ProgressMoved(int position);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    enum class ExportKind { kText, kCsv };

    // Writes the export of the log to `outPath`; false with `cause` in words when nothing was
    // written (an existing file stays as it was).
    // Opens the written file with the desktop's program for it; where no program opens it,
    // a box says where the file is.
    void OpenOrTellWhere(const std::string& outPath);
    bool RunExport(ExportKind kind, const std::string& outPath, ExistingTarget existing,
                   std::string& cause);
    LogExportOptions OptionsFromControls() const;
    // Disables every button and check box for the length of an export, and back.
    void BlockControls(bool block);

    std::string logPath_;
    bool exporting_ = false;
    std::vector<QWidget*> runControls_;
    std::vector<bool> enabledBefore_;
};

}  // namespace qx7::gui
