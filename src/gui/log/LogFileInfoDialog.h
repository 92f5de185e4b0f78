#pragma once
// "View File Info": what the log's container says about it (customer, comment, saving PC,
// save times, firmware versions, product, integrated code, MAC address) as one read-only text,
// built once when the dialog opens.

#include <string>

#include "gui/app/ViewerDialog.h"

class QLineEdit;
class QPlainTextEdit;

namespace qx7::gui {

class LogFileInfoDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    LogFileInfoDialog(const PageContext& context, const std::string& logPath, QWidget* parent);

  private:
    QLineEdit* name_ = nullptr;
    QPlainTextEdit* information_ = nullptr;
};

}  // namespace qx7::gui
