#include "gui/log/LogFileInfoDialog.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>

#include "core/log/LogFileInfo.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/ControlText.h"
#include "gui/app/DialogSize.h"
#include "gui/log/LogFileName.h"
#include "gui/app/LogViewerRegistry.h"
#include "gui/log/ViewerText.h"

namespace qx7::gui {
namespace {

constexpr int kCaption = 282;
constexpr int kCloseText = 290;
constexpr int kFileNameText = 298;

constexpr int kNameLabel = 1266;
constexpr int kNameField = 1198;
constexpr int kInformation = 1201;
constexpr int kClose = 2;
constexpr int kReadingText = 5617;

// The labels end in one or more tabs; with stops nine columns apart every value but the
// versions' first line starts in the same column.
constexpr int kTabColumns = 9;
// Room for the longest lines (the versions) and every line of a full container.
constexpr int kShownColumns = 84;
constexpr int kShownLines = 16;

}  // namespace

LogFileInfoDialog::LogFileInfoDialog(const PageContext& context, const std::string& logPath,
                                     QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CLogFileInfo"), parent) {
    setSizeGripEnabled(true);

    auto* nameLabel = new QLabel(this);
    SetControlNumber(nameLabel, kNameLabel);
    nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    name_ = new QLineEdit(this);
    SetControlNumber(name_, kNameField);
    name_->setReadOnly(true);
    nameLabel->setBuddy(name_);

    information_ = new QPlainTextEdit(this);
    SetControlNumber(information_, kInformation);
    information_->setReadOnly(true);
    information_->setUndoRedoEnabled(false);
    information_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    information_->setFont(fixed);
    const QFontMetricsF metrics(fixed);
    information_->setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * kTabColumns);

    auto* close = new QPushButton(this);
    SetControlNumber(close, kClose);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name_, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(information_, 1);
    layout->addLayout(buttonRow);

    SetCtrlText(this, kCaption);
    SetCtrlText(nameLabel, kFileNameText);
    SetCtrlText(close, kCloseText);
    SetWidgetText(name_, FromFileName(logPath));
    name_->setCursorPosition(0);
    information_->setAccessibleName(LocalText(kCaption));

    // Read on a worker: the dialog says it is reading until the text is there. A bare log or
    // a file that cannot be read has no information: the text stays empty and nothing is said.
    information_->setPlaceholderText(LocalText(kReadingText));
    BeginReading();
    reading_ = std::make_unique<BackgroundWork>(
        this,
        [path = logPath, &clock = Context().clock](const std::atomic<bool>&) {
            return BuildLogFileInformation(path, clock);
        },
        [this](std::string information) { ShowRead(information); });

    resize(FittedDialogSize(this, information_, kShownColumns, kShownLines));
}

LogFileInfoDialog::~LogFileInfoDialog() = default;

void LogFileInfoDialog::done(int result) {
    if (reading_) {
        reading_->Stop();
    }
    ViewerDialog::done(result);
}

void LogFileInfoDialog::ShowRead(const std::string& information) {
    reading_.reset();
    information_->setPlaceholderText(QString());
    information_->setPlainText(ViewerText(information));
    EndReading();
    emit readingFinished();
}

QX7_REGISTER_LOG_VIEWER(LogFileInfoDialog, 1191,
                        [](const PageContext& context, const std::string& log, QWidget* parent)
                            -> QDialog* { return new LogFileInfoDialog(context, log, parent); });

}  // namespace qx7::gui
