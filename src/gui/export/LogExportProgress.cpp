#include "gui/export/LogExportProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/DialogSize.h"

namespace qx7::gui {
namespace {

constexpr int kProgressBar = 1182;
// 187 by 93 dialog units, as the layouts of both windows are drawn.
constexpr int kWidthUnits = 187;
constexpr int kHeightUnits = 93;

}  // namespace

LogExportProgress::LogExportProgress(QWidget* owner, LanguageId language, const QString& className,
                                     int titleString, int labelNumber, int labelString, int upper)
    // A title bar without a close box where the window system honours it.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(className);
    SetCtrlText(this, titleString, language);

    auto* label = new QLabel(this);
    SetControlNumber(label, labelNumber);
    label->setWordWrap(true);
    SetCtrlText(label, labelString, language);

    bar_ = new QProgressBar(this);
    SetControlNumber(bar_, kProgressBar);
    bar_->setRange(0, upper);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addStretch(1);
    layout->addWidget(bar_);
    layout->addStretch(1);

    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits).expandedTo(sizeHint()));
}

TextExportProgress::TextExportProgress(QWidget* owner, LanguageId language, int upper)
    : LogExportProgress(owner, language, QStringLiteral("CDlgLogTxtProg"), 285, 1202, 212, upper) {}

CsvExportProgress::CsvExportProgress(QWidget* owner, LanguageId language, int upper)
    : LogExportProgress(owner, language, QStringLiteral("CDlgLogCsvProg"), 284, 1233, 232, upper) {}

}  // namespace qx7::gui
