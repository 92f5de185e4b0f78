#include "gui/export/LogExportDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/text/Messages.h"
#include "core/app/QVJServToolApp.h"
#include "core/output/ExportOutput.h"
#include "core/export/LogExportRun.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/ControlText.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/DialogSize.h"
#include "gui/app/FileChooser.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/export/LogExportProgress.h"
#include "gui/log/LogFileName.h"
#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {
namespace {

constexpr int kViewLogButton = 1189;
constexpr int kTitle = 288;
constexpr int kInstructions = 1099;
constexpr int kInstructionsText = 149;
constexpr int kTypeGroup = 65535;
constexpr int kTypeGroupText = 304;
constexpr int kErrors = 1102;
constexpr int kWarnings = 1100;
constexpr int kInformation = 1104;
constexpr int kExtendedData = 1332;
constexpr int kZoneLabel = 1228;
constexpr int kZoneLabelText = 227;
constexpr int kZoneName = 1227;
constexpr int kConvertText = 1105;
constexpr int kConvertTextText = 305;
constexpr int kConvertCsv = 1106;
// "No program opened the file. It is saved as:\n%1"
constexpr int kMsgFileSavedAs = 5700;
constexpr int kClose = 1058;
constexpr int kCloseText = 290;
// 277 by 143 dialog units, as layout 227 is drawn.
constexpr int kWidthUnits = 277;
constexpr int kHeightUnits = 143;

const QString kCsvFilter = QStringLiteral("Csv Files (*.csv);;All Files (*)");

QCheckBox* MakeCheckBox(QWidget* parent, int number, const char* caption, bool checked) {
    auto* box = new QCheckBox(parent);
    SetControlNumber(box, number);
    // The layout's captions, the same in every language.
    SetWidgetText(box, QString::fromLatin1(caption));
    box->setChecked(checked);
    return box;
}

}  // namespace

LogExportDialog::LogExportDialog(const PageContext& context, std::string logPath, QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CLogView"), parent), logPath_(std::move(logPath)) {
    SetCtrlText(this, kTitle);

    auto* instructions = new QLabel(this);
    SetControlNumber(instructions, kInstructions);
    instructions->setWordWrap(true);
    SetCtrlText(instructions, kInstructionsText);

    auto* group = new QGroupBox(this);
    SetControlNumber(group, kTypeGroup);
    SetCtrlText(group, kTypeGroupText);
    QCheckBox* errors = MakeCheckBox(group, kErrors, "Error", true);
    QCheckBox* warnings = MakeCheckBox(group, kWarnings, "Warning", true);
    QCheckBox* information = MakeCheckBox(group, kInformation, "Information", true);
    QCheckBox* extended = MakeCheckBox(group, kExtendedData, "Ext Data", false);
    auto* boxes = new QHBoxLayout(group);
    for (QCheckBox* box : {errors, warnings, information, extended}) {
        boxes->addWidget(box);
    }
    boxes->addStretch(1);

    auto* zoneLabel = new QLabel(this);
    SetControlNumber(zoneLabel, kZoneLabel);
    zoneLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetCtrlText(zoneLabel, kZoneLabelText);
    auto* zoneName = new QLabel(this);
    SetControlNumber(zoneName, kZoneName);
    SetWidgetText(zoneName, QString::fromStdString(ExportZoneName(Context().clock)));
    zoneName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* zoneRow = new QHBoxLayout;
    zoneRow->addWidget(zoneLabel, 1);
    zoneRow->addWidget(zoneName);

    auto* convertText = new QPushButton(this);
    SetControlNumber(convertText, kConvertText);
    SetCtrlText(convertText, kConvertTextText);
    convertText->setDefault(true);
    // In the layout, never shown or enabled: the CSV export is reached through its slot only.
    auto* convertCsv = new QPushButton(this);
    SetControlNumber(convertCsv, kConvertCsv);
    SetWidgetText(convertCsv, QStringLiteral("Convert to CSV File"));
    convertCsv->setEnabled(false);
    convertCsv->setVisible(false);
    auto* close = new QPushButton(this);
    SetControlNumber(close, kClose);
    SetCtrlText(close, kCloseText);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(convertText);
    buttonRow->addWidget(convertCsv);
    buttonRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addWidget(group);
    layout->addLayout(zoneRow);
    layout->addStretch(1);
    layout->addLayout(buttonRow);

    connect(convertText, &QPushButton::clicked, this, &LogExportDialog::OnConvertText);
    connect(convertCsv, &QPushButton::clicked, this, &LogExportDialog::OnConvertCsv);
    connect(close, &QPushButton::clicked, this, &LogExportDialog::reject);

    runControls_ = {errors, warnings, information, extended, convertText, convertCsv, close};
    errors->setFocus();
    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits).expandedTo(sizeHint()));
}

void LogExportDialog::reject() {
    if (!exporting_) {
        ViewerDialog::reject();
    }
}

void LogExportDialog::closeEvent(QCloseEvent* event) {
    if (exporting_) {
        event->ignore();
        return;
    }
    ViewerDialog::closeEvent(event);
}

LogExportOptions LogExportDialog::OptionsFromControls() const {
    LogExportOptions options;
    options.types.errors = ControlAs<QCheckBox>(kErrors)->isChecked();
    options.types.warnings = ControlAs<QCheckBox>(kWarnings)->isChecked();
    options.types.information = ControlAs<QCheckBox>(kInformation)->isChecked();
    options.extendedData = ControlAs<QCheckBox>(kExtendedData)->isChecked();
    // UTF-8, as the command line writes by default.
    options.encoder = nullptr;
    return options;
}

void LogExportDialog::BlockControls(bool block) {
    if (block) {
        enabledBefore_.clear();
        for (QWidget* control : runControls_) {
            enabledBefore_.push_back(control->isEnabled());
            control->setEnabled(false);
        }
        return;
    }
    for (std::size_t i = 0; i < runControls_.size() && i < enabledBefore_.size(); ++i) {
        runControls_[i]->setEnabled(enabledBefore_[i]);
    }
}

void LogExportDialog::OnConvertText() {
    if (exporting_) {
        return;
    }
    const std::string outPath = MakeTextExportPath(logPath_);
    ExistingTarget existing = ExistingTarget::kKeep;
    if (OutputPathExists(outPath)) {
        // No keeps the old file and opens it as if it had just been written.
        if (!Msg().Sink().AskYesNoCaptioned(OverwriteQuestion(Language(), outPath),
                                            kOverwriteCaption)) {
            OpenOrTellWhere(outPath);
            return;
        }
        existing = ExistingTarget::kReplace;
    }
    std::string cause;
    if (!RunExport(ExportKind::kText, outPath, existing, cause)) {
        Msg().ShowMessageWithText(kMsgFileIoError, kCodeTextExportFailed, cause);
        return;
    }
    OpenOrTellWhere(outPath);
}

void LogExportDialog::OnConvertCsv() {
    if (exporting_) {
        return;
    }
    const QString chosen = Context().files.SaveFile(
        this, QString(), FromFileName(MakeDefaultCsvPath(logPath_)), kCsvFilter);
    if (chosen.isEmpty()) {
        return;
    }
    // The chooser has asked before replacing an existing file.
    const std::string outPath = ToFileName(chosen);
    std::string cause;
    if (!RunExport(ExportKind::kCsv, outPath, ExistingTarget::kReplace, cause)) {
        Msg().ShowMessageWithText(kMsgFileIoError, kCodeCsvExportFailed, cause);
        return;
    }
    OpenOrTellWhere(outPath);
}

void LogExportDialog::OpenOrTellWhere(const std::string& outPath) {
    const QString path = FromFileName(outPath);
    if (Context().opener.Open(path)) {
        return;
    }
    Msg().Sink().Show(LocalText(kMsgFileSavedAs).arg(path).toStdString(),
                      MessageKind::kInformation);
}

bool LogExportDialog::RunExport(ExportKind kind, const std::string& outPath,
                                ExistingTarget existing, std::string& cause) {
    // Until the end of this call: no second export, no closing, the hourglass (lifted before
    // the caller shows any box).
    exporting_ = true;
    BlockControls(true);
    const QPointer<QWidget> focused = focusWidget();
    struct Unblock {
        LogExportDialog& view;
        const QPointer<QWidget>& focused;
        ~Unblock() {
            view.BlockControls(false);
            view.exporting_ = false;
            if (focused != nullptr && focused->isEnabled()) {
                focused->setFocus();
            }
        }
    } unblock{*this, focused};
    const WaitCursorScope wait;

    // The export runs on a worker while this waits in a local event loop: the windows paint
    // and the progress moves; the dialog's controls are blocked and exporting_ keeps it open.
    // Everything the worker reports is handled here while the worker waits for it (a blocking
    // queued call): the window takes its other events between two steps, as before.
    std::unique_ptr<LogExportProgress> progress;
    LogExportJob job;
    job.logPath = logPath_;
    job.csv = kind == ExportKind::kCsv;
    job.language = Language();
    job.options = OptionsFromControls();
    job.options.progress = [this, &progress](int position, int) {
        QMetaObject::invokeMethod(
            this,
            [this, &progress, position] {
                if (progress) {
                    progress->Bar()->setValue(position);
                }
                emit ProgressMoved(position);
            },
            Qt::BlockingQueuedConnection);
        return true;
    };
    job.outPath = outPath;
    job.existing = existing;
    job.opened = [this, &progress, kind](int entryCount) {
        QMetaObject::invokeMethod(
            this,
            [this, &progress, kind, entryCount] {
                const int upper = entryCount / 1000;
                if (kind == ExportKind::kText) {
                    progress = std::make_unique<TextExportProgress>(this, Language(), upper);
                } else {
                    progress = std::make_unique<CsvExportProgress>(this, Language(), upper);
                }
                progress->show();
            },
            Qt::BlockingQueuedConnection);
    };
    job.exported = [this, &progress] {
        QMetaObject::invokeMethod(this, [&progress] { progress.reset(); },
                                  Qt::BlockingQueuedConnection);
    };
    LogExportOutcome outcome;
    {
        QEventLoop loop;
        const BackgroundWork work(
            &loop,
            [&job, &clock = Context().clock](const std::atomic<bool>&) {
                return ExportLogFile(job, clock);
            },
            [&loop, &outcome](LogExportOutcome result) {
                outcome = std::move(result);
                loop.quit();
            });
        loop.exec();
    }
    progress.reset();
    if (outcome.failure == LogExportFailure::kNone) {
        return true;
    }
    cause = outcome.cause;
    return false;
}

QX7_REGISTER_LOG_VIEWER(LogExportDialog, kViewLogButton,
                        [](const PageContext& context, const std::string& logPath, QWidget* parent)
                            -> QDialog* { return new LogExportDialog(context, logPath, parent); });

}  // namespace qx7::gui
