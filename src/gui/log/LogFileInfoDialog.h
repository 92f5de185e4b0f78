#pragma once
// "View File Info": what the log's container says about it (customer, comment, saving PC,
// save times, firmware versions, product, integrated code, MAC address) as one read-only text,
// read on a worker once when the dialog opens.

#include <memory>
#include <string>

#include "gui/app/ViewerDialog.h"

class QLineEdit;
class QPlainTextEdit;

namespace qx7::gui {

class BackgroundWork;

class LogFileInfoDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    LogFileInfoDialog(const PageContext& context, const std::string& logPath, QWidget* parent);
    // Closing stops the reading (its result is dropped); deleting waits for its thread.
    ~LogFileInfoDialog() override;
    void done(int result) override;

  private:
    void ShowRead(const std::string& information);

    QLineEdit* name_ = nullptr;
    QPlainTextEdit* information_ = nullptr;
    std::unique_ptr<BackgroundWork> reading_;  // last: its thread ends before the rest goes
};

}  // namespace qx7::gui
