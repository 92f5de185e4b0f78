#include "gui/log/LogAnalysisDialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "core/text/Messages.h"
#include "core/export/LogExport.h"
#include "core/log/LogAnalysis.h"
#include "gui/app/ControlText.h"
#include "gui/app/DialogSize.h"
#include "gui/log/AnalysisListingRun.h"
#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {
namespace {

constexpr int kCaption = 287;
constexpr int kInstructionsText = 206;
constexpr int kCloseText = 290;
constexpr int kDisplayText = 300;
constexpr int kZoneText = 302;
constexpr int kMaximumText = 303;
constexpr int kListingCutText = 5400;

constexpr int kInstructions = 1206;
constexpr int kAnalysisBox = 1205;
constexpr int kDisplay = 1105;
constexpr int kResult = 1207;
constexpr int kZoneLabel = 1268;
constexpr int kZoneName = 1227;
constexpr int kMaximumLabel = 1269;
constexpr int kMaximumBox = 1210;
constexpr int kClose = 2;

constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 360;

// A listing line with a long description and its parameters, and a screenful of them.
constexpr int kShownColumns = 100;
constexpr int kShownLines = 24;

// The longest the window's thread spends inserting pieces before it lets other events in.
constexpr qint64 kSliceMilliseconds = 15;

}  // namespace

LogAnalysisDialog::LogAnalysisDialog(const PageContext& context, const std::string& logPath,
                                     QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CLogAnal"), parent), logPath_(logPath) {
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* instructions = new QLabel(this);
    SetControlNumber(instructions, kInstructions);
    instructions->setWordWrap(true);

    analyses_ = new QComboBox(this);
    SetControlNumber(analyses_, kAnalysisBox);
    for (std::size_t i = 0; i < kLogAnalysisCount; ++i) {
        analyses_->addItem(QString::fromUtf8(LogAnalyses()[i].name));
    }
    analyses_->setCurrentIndex(0);
    instructions->setBuddy(analyses_);

    display_ = new QPushButton(this);
    SetControlNumber(display_, kDisplay);
    display_->setDefault(true);

    result_ = new QPlainTextEdit(this);
    SetControlNumber(result_, kResult);
    result_->setReadOnly(true);
    // A listing can run to hundreds of thousands of lines: no undo history, no wrapping.
    result_->setUndoRedoEnabled(false);
    result_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result_->setFont(fixed);

    auto* zoneLabel = new QLabel(this);
    SetControlNumber(zoneLabel, kZoneLabel);
    zoneLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    zone_ = new QLabel(this);
    SetControlNumber(zone_, kZoneName);

    auto* maximumLabel = new QLabel(this);
    SetControlNumber(maximumLabel, kMaximumLabel);
    maximumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    maxima_ = new QComboBox(this);
    SetControlNumber(maxima_, kMaximumBox);
    for (const char* name : kAnalysisMaximumNames) {
        maxima_->addItem(QString::fromUtf8(name));
    }
    maxima_->setCurrentIndex(0);
    maximumLabel->setBuddy(maxima_);

    auto* close = new QPushButton(this);
    SetControlNumber(close, kClose);

    // The view takes every change of size; the choice row keeps its button at the right, the
    // rows below keep to the bottom, and Close follows half of a change of width.
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(analyses_, 1);
    choiceRow->addWidget(display_);
    auto* bottom = new QGridLayout;
    bottom->addWidget(zoneLabel, 0, 0);
    bottom->addWidget(zone_, 0, 1);
    bottom->addWidget(maximumLabel, 1, 0);
    bottom->addWidget(maxima_, 1, 1, Qt::AlignLeft);
    bottom->setColumnStretch(2, 1);
    bottom->addWidget(close, 1, 3);
    bottom->setColumnStretch(4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addLayout(choiceRow);
    layout->addWidget(result_, 1);
    layout->addLayout(bottom);

    SetCtrlText(this, kCaption);
    SetCtrlText(instructions, kInstructionsText);
    SetCtrlText(display_, kDisplayText);
    SetCtrlText(zoneLabel, kZoneText);
    SetCtrlText(maximumLabel, kMaximumText);
    SetCtrlText(close, kCloseText);
    SetWidgetText(zone_, QString::fromStdString(ExportZoneName(Context().clock)));
    result_->setAccessibleName(LocalText(kCaption));

    setMinimumSize(QSize(kMinimumWidth, kMinimumHeight).expandedTo(minimumSizeHint()));
    resize(FittedDialogSize(this, result_, kShownColumns, kShownLines));

    // A timer, not a queued call: queued calls that keep queueing themselves would hold off
    // the window's input and timers for several slices at a time.
    moreTimer_.setSingleShot(true);
    moreTimer_.setInterval(0);
    connect(&moreTimer_, &QTimer::timeout, this, &LogAnalysisDialog::TakePieces);
    connect(display_, &QPushButton::clicked, this, &LogAnalysisDialog::Display);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Connected after the boxes were filled: only the user's changes count.
    connect(analyses_, &QComboBox::currentIndexChanged, this,
            &LogAnalysisDialog::OnAnalysisChanged);

    Display();
}

LogAnalysisDialog::~LogAnalysisDialog() {
    // The threads end before anything they might wake is taken apart.
    StopRuns();
    stopping_.clear();
    wait_.reset();
}

void LogAnalysisDialog::Display() {
    const int analysis = analyses_->currentIndex();
    const int maximum = maxima_->currentIndex();
    StopRuns();
    result_->clear();
    shownLines_ = 0;
    if (analysis < 0 || analysis >= static_cast<int>(kLogAnalysisCount) || maximum < 0 ||
        maximum >= static_cast<int>(std::size(kAnalysisMaxima))) {
        wait_.reset();
        emit listingFinished();
        return;
    }
    if (!wait_) {
        wait_.emplace();
    }
    AnalysisRequest request;
    request.path = logPath_;
    request.analysis = static_cast<std::size_t>(analysis);
    request.maximum = kAnalysisMaxima[maximum];
    request.language = Language();
    run_ = std::make_unique<AnalysisListingRun>(std::move(request), Context().clock, [this] {
        QMetaObject::invokeMethod(this, &LogAnalysisDialog::OnRunWoke, Qt::QueuedConnection);
    });
}

void LogAnalysisDialog::done(int result) {
    StopRuns();
    wait_.reset();
    ViewerDialog::done(result);
}

void LogAnalysisDialog::OnAnalysisChanged(int index) {
    if (index != lastAnalysis_) {
        lastAnalysis_ = index;
        Display();
    }
}

void LogAnalysisDialog::OnRunWoke() {
    ReapStoppedRuns();
    TakePieces();
}

void LogAnalysisDialog::TakePieces() {
    if (!run_) {
        return;
    }
    QElapsedTimer slice;
    slice.start();
    // At the end of the document through a cursor of its own, so the view stays where the
    // user is (at the newest entries, on top). One edit block a slice: the view takes in the
    // new lines once, not after every piece.
    QTextCursor end(result_->document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    QString piece;
    AnalysisListingRun::Take take;
    bool full = false;
    while ((take = run_->TakePiece(piece)) == AnalysisListingRun::Take::kPiece) {
        const long lines = static_cast<long>(piece.count(QLatin1Char('\n')));
        if (shownLines_ + lines > lineLimit_) {
            qsizetype kept = 0;
            for (long line = shownLines_; line < lineLimit_; ++line) {
                kept = piece.indexOf(QLatin1Char('\n'), kept) + 1;
            }
            piece.truncate(kept);
            full = true;
        }
        end.insertText(piece);
        shownLines_ = std::min(shownLines_ + lines, lineLimit_);
        if (full || slice.elapsed() >= kSliceMilliseconds) {
            break;
        }
    }
    if (full) {
        end.insertText(LocalText(kListingCutText).arg(lineLimit_) + QLatin1Char('\n'));
    }
    end.endEditBlock();
    if (full) {
        // The view holds all it may: the rest of the run is not wanted.
        StopRuns();
        wait_.reset();
        emit listingFinished();
        return;
    }
    switch (take) {
        case AnalysisListingRun::Take::kPiece:
            // The rest after the events that came meanwhile.
            moreTimer_.start();
            break;
        case AnalysisListingRun::Take::kWaiting:
            break;  // the run wakes the window with its next piece
        case AnalysisListingRun::Take::kEnded:
            FinishRun();
            break;
    }
}

void LogAnalysisDialog::FinishRun() {
    const std::vector<std::string> messages = run_->Messages();
    run_.reset();
    // The pointer is back before any message box opens.
    wait_.reset();
    QPointer<LogAnalysisDialog> alive(this);
    for (const std::string& text : messages) {
        // What the reading collected are its failures.
        Msg().Sink().Show(text, MessageKind::kError);
        if (!alive) {
            return;
        }
    }
    emit listingFinished();
}

void LogAnalysisDialog::StopRuns() {
    if (run_) {
        run_->Stop();
        stopping_.push_back(std::move(run_));
    }
    ReapStoppedRuns();
}

void LogAnalysisDialog::ReapStoppedRuns() {
    // A stopped run's pieces are dropped; once its thread has ended it is joined at once.
    QString dropped;
    std::erase_if(stopping_, [&](const std::unique_ptr<AnalysisListingRun>& run) {
        AnalysisListingRun::Take take;
        while ((take = run->TakePiece(dropped)) == AnalysisListingRun::Take::kPiece) {
        }
        return take == AnalysisListingRun::Take::kEnded;
    });
}

QX7_REGISTER_LOG_VIEWER(LogAnalysisDialog, 1208,
                        [](const PageContext& context, const std::string& log, QWidget* parent)
                            -> QDialog* { return new LogAnalysisDialog(context, log, parent); });

}  // namespace qx7::gui
