#include "gui/settings/SettingsBlockDialog.h"

#include <QDir>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

#include "core/app/LogFileChoice.h"
#include "core/app/QVJServToolApp.h"
#include "core/output/ExportOutput.h"
#include "core/settings/EEPFile.h"
#include "core/settings/SettingsRows.h"
#include "gui/app/ControlText.h"
#include "gui/app/DialogSize.h"
#include "gui/app/FileChooser.h"
#include "gui/log/LogFileName.h"
#include "gui/settings/DiffersMark.h"
#include "gui/settings/SettingsTableModel.h"

namespace qx7::gui {
namespace {

constexpr int kTitle = 348;
constexpr int kBlockIdLabel = 1289;
constexpr int kBlockIdLabelText = 349;
constexpr int kVersionLabel = 1093;
constexpr int kVersionLabelText = 350;
constexpr int kBlockIdField = 1031;
constexpr int kVersionField = 1032;
constexpr int kSignatureField = 1033;
constexpr int kTitleField = 1030;
constexpr int kList = 1036;
constexpr int kSaveAsButton = 1195;
constexpr int kSaveAsText = 351;
constexpr int kCloseButton = 1;
constexpr int kCloseText = 290;
// Texts of the window's own.
constexpr int kMarkExplanation = 5450;
constexpr int kListName = 5451;
constexpr int kNextText = 5460;
constexpr int kPreviousText = 5461;
constexpr int kSomeDifferText = 5462;
constexpr int kOneDiffersText = 5463;
constexpr int kNoneDiffersText = 5464;
constexpr int kNotComparedText = 5465;
constexpr int kWrappedToFirstText = 5466;
constexpr int kWrappedToLastText = 5467;
constexpr int kNextTip = 5468;
constexpr int kPreviousTip = 5469;

constexpr QSize kMinimumSize(480, 360);
// Rows the list shows when the dialog opens.
constexpr int kRowsOnOpen = 16;
constexpr char kCsvFilter[] = "CSV Files (*.csv);;All Files (*)";
// The font the column widths were made for is 13 pixels high.
constexpr qreal kDesignFontHeight = 13.0;

// Column 0 keeps room for the mark on every row, so the numbers stay in line whether a row is
// marked or not.
class MarkColumnDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == kColumnNumber) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(kDiffersMarkSide, kDiffersMarkSide);
        }
    }
};

// The desktop's keys for find next / previous, with F3 / Shift+F3 always among them.
QList<QKeySequence> FindKeys(QKeySequence::StandardKey standard, const QKeySequence& always) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    if (!keys.contains(always)) {
        keys.prepend(always);
    }
    return keys;
}

QLineEdit* ReadOnlyField(QWidget* parent, int number) {
    auto* field = new QLineEdit(parent);
    SetControlNumber(field, number);
    field->setReadOnly(true);
    return field;
}

}  // namespace

SettingsBlockDialog::SettingsBlockDialog(const PageContext& context, std::string logPath,
                     std::unique_ptr<CEEPFile> values, std::unique_ptr<CEEPFile> factory,
                     QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CViewEEP2"), parent),
      logPath_(std::move(logPath)),
      values_(values != nullptr ? std::move(values) : std::make_unique<CEEPFile>()),
      factory_(std::move(factory)),
      rows_(std::make_unique<SettingsRows>(*values_, factory_.get())),
      model_(std::make_unique<SettingsTableModel>(*rows_, LocalText(kMarkExplanation))),
      saveName_(rows_->SaveName()) {
    auto* blockIdLabel = new QLabel(this);
    SetControlNumber(blockIdLabel, kBlockIdLabel);
    auto* blockId = ReadOnlyField(this, kBlockIdField);
    blockIdLabel->setBuddy(blockId);
    auto* versionLabel = new QLabel(this);
    SetControlNumber(versionLabel, kVersionLabel);
    auto* version = ReadOnlyField(this, kVersionField);
    versionLabel->setBuddy(version);
    // Wide enough for "0x20111007"; the fields do not grow with the window.
    const int numberWidth = blockId->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000"));
    for (QLineEdit* field : {blockId, version}) {
        field->setFixedWidth(numberWidth + field->minimumSizeHint().width());
    }
    auto* signature = ReadOnlyField(this, kSignatureField);
    auto* title = ReadOnlyField(this, kTitleField);

    list_ = new QTreeView(this);
    SetControlNumber(list_, kList);
    list_->setItemDelegate(new MarkColumnDelegate(list_));
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setIndentation(0);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setWordWrap(false);
    list_->setIconSize(QSize(kDiffersMarkSide, kDiffersMarkSide));
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setSectionsMovable(false);
    list_->header()->setStretchLastSection(true);
    list_->setModel(model_.get());
    list_->setAccessibleName(LocalText(kListName));

    auto* saveAs = new QPushButton(this);
    SetControlNumber(saveAs, kSaveAsButton);
    connect(saveAs, &QPushButton::clicked, this, &SettingsBlockDialog::SaveAs);
    auto* close = new QPushButton(this);
    SetControlNumber(close, kCloseButton);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    differences_ = new QLabel(this);
    differences_->setObjectName(QStringLiteral("differences"));
    differences_->setWordWrap(true);
    differences_->setTextFormat(Qt::PlainText);
    differences_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    previous_ = new QPushButton(this);
    previous_->setObjectName(QStringLiteral("previousDifference"));
    next_ = new QPushButton(this);
    next_->setObjectName(QStringLiteral("nextDifference"));
    const bool anyDiffers = rows_->DifferingRowCount() > 0;
    const struct {
        QPushButton* button;
        int direction;
        int text;
        int tip;
        QKeySequence::StandardKey standard;
        QKeySequence always;
    } moves[] = {
        {previous_, -1, kPreviousText, kPreviousTip, QKeySequence::FindPrevious,
         QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        {next_, 1, kNextText, kNextTip, QKeySequence::FindNext, QKeySequence(Qt::Key_F3)},
    };
    for (const auto& move : moves) {
        // A focused button takes Enter (Qt's rule in a dialog); elsewhere Enter closes.
        SetCtrlText(move.button, move.text);
        move.button->setToolTip(
            LocalText(move.tip).arg(move.always.toString(QKeySequence::NativeText)));
        move.button->setEnabled(anyDiffers);
        const int direction = move.direction;
        connect(move.button, &QPushButton::clicked, this,
                [this, direction] { MoveToDifference(direction); });
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(FindKeys(move.standard, move.always));
        shortcut->setEnabled(anyDiffers);
        connect(shortcut, &QShortcut::activated, this,
                [this, direction] { MoveToDifference(direction); });
    }
    // A row chosen by hand makes an earlier note of going round the end stale.
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { differences_->setText(DifferencesText(0)); });

    // The numbers and the buttons on one row, the buttons at the right; the texts and the list
    // take the whole width below, and the list the whole height.
    auto* top = new QHBoxLayout;
    top->addWidget(blockIdLabel);
    top->addWidget(blockId);
    top->addSpacing(blockId->fontMetrics().averageCharWidth() * 2);
    top->addWidget(versionLabel);
    top->addWidget(version);
    top->addStretch(1);
    top->addWidget(saveAs);
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(signature);
    layout->addWidget(title);
    layout->addWidget(list_, 1);
    // Below the list the count of differing rows, and the buttons that go to them at the right.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(differences_, 1);
    bottom->addWidget(previous_);
    bottom->addWidget(next_);
    layout->addLayout(bottom);
    // Tab goes as the layout reads: the top row with its buttons, the texts, the list, the
    // buttons below it.
    QWidget* order[] = {blockId, version, saveAs, close, signature, title, list_, previous_, next_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    SetCtrlText(this, kTitle);
    SetCtrlText(blockIdLabel, kBlockIdLabelText);
    SetCtrlText(versionLabel, kVersionLabelText);
    SetCtrlText(saveAs, kSaveAsText);
    SetCtrlText(close, kCloseText);
    if (rows_->HasHeader()) {
        SetWidgetText(blockId, QString::fromStdString(rows_->BlockIdText()));
        SetWidgetText(version, QString::fromStdString(rows_->VersionText()));
        SetWidgetText(signature, QString::fromStdString(rows_->Signature()));
        SetWidgetText(title, QString::fromStdString(rows_->Title()));
    }

    SetColumnWidths();
    setSizeGripEnabled(true);
    // The status line is narrowest when the dialog is: what fits there fits at any width.
    const QMargins outer = layout->contentsMargins();
    const int narrowest = std::max(minimumSizeHint().width(), kMinimumSize.width());
    ReserveDifferencesHeight(narrowest - outer.left() - outer.right() -
                             previous_->sizeHint().width() - next_->sizeHint().width() -
                             2 * bottom->spacing());
    differences_->setText(DifferencesText(0));
    setMinimumSize(minimumSizeHint().expandedTo(kMinimumSize));

    // Opens with every column in view and a screenful of rows, within the screen.
    int columns = 0;
    for (int c = 0; c < kSettingsColumnCount; ++c) {
        columns += list_->columnWidth(c);
    }
    const int rowHeight =
        model_->rowCount() > 0 ? list_->sizeHintForRow(0) : fontMetrics().height();
    const int frame = 2 * list_->frameWidth();
    const QSize listSize(columns + frame + list_->verticalScrollBar()->sizeHint().width(),
                         list_->header()->sizeHint().height() + kRowsOnOpen * rowHeight + frame);
    const QMargins margins = layout->contentsMargins();
    QSize wanted(std::max(sizeHint().width(), listSize.width() + margins.left() + margins.right()),
                 sizeHint().height() - list_->sizeHint().height() + listSize.height());
    resize(BoundedToScreen(this, wanted).expandedTo(minimumSize()));

    list_->setFocus();
}

SettingsBlockDialog::~SettingsBlockDialog() = default;

void SettingsBlockDialog::SetColumnWidths() {
    // The widths were made for a 13-pixel font; a larger desktop font widens them alike.
    const QFontMetrics metrics = list_->fontMetrics();
    const qreal scale = std::max(1.0, metrics.height() / kDesignFontHeight);
    const QStyle* look = list_->style();
    const int textMargin = look->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1;
    const int headerMargin = look->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list_);
    for (int c = 0; c < kSettingsColumnCount; ++c) {
        int width = static_cast<int>(std::lround(SettingsTableModel::ColumnWidth(c) * scale));
        // Never narrower than the column's title.
        width = std::max(width, list_->header()->fontMetrics().horizontalAdvance(
                                    SettingsTableModel::ColumnTitle(c)) +
                                    4 * headerMargin);
        if (c == kColumnNumber) {
            // The mark and a three-digit number.
            width = std::max(width, kDiffersMarkSide +
                                        metrics.horizontalAdvance(QStringLiteral("000")) +
                                        4 * textMargin);
        }
        list_->setColumnWidth(c, width);
    }
}

QString SettingsBlockDialog::DifferencesText(int wrappedDirection) const {
    if (factory_ == nullptr) {
        return LocalText(kNotComparedText);
    }
    const std::int32_t count = rows_->DifferingRowCount();
    QString text;
    if (count == 0) {
        text = LocalText(kNoneDiffersText);
    } else if (count == 1) {
        text = LocalText(kOneDiffersText);
    } else {
        text = LocalText(kSomeDifferText).arg(count);
    }
    if (wrappedDirection > 0) {
        return LocalText(kWrappedToFirstText).arg(text);
    }
    if (wrappedDirection < 0) {
        return LocalText(kWrappedToLastText).arg(text);
    }
    return text;
}

void SettingsBlockDialog::ReserveDifferencesHeight(int width) {
    int height = 0;
    for (int wrapped : {0, 1, -1}) {
        differences_->setText(DifferencesText(wrapped));
        height = std::max(height, differences_->heightForWidth(std::max(width, 1)));
    }
    differences_->setFixedHeight(height);
}

void SettingsBlockDialog::MoveToDifference(int direction) {
    // From the chosen row; with none chosen (only the cursor sits on the first row when the
    // list has the focus) from before the top, so that a differing first row is found too.
    const QModelIndexList chosen = list_->selectionModel()->selectedRows();
    const std::int32_t from = chosen.isEmpty() ? -1 : chosen.front().row();
    const std::optional<DifferingRowStep> step = rows_->NextDifferingRow(from, direction);
    if (!step) {
        return;
    }
    const QModelIndex target = model_->index(step->row, kColumnNumber);
    list_->selectionModel()->setCurrentIndex(
        target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(target);
    differences_->setText(DifferencesText(step->wrapped ? direction : 0));
}

void SettingsBlockDialog::SaveAs() {
    // The program's folder, unless it holds no logs (an installed program's folder): then home.
    const std::string start =
        LogBrowseStart(saveName_, App().GetProgramDirectory(), ToFileName(QDir::homePath()));
    const QString chosen = Context().files.SaveFile(this, QString(), FromFileName(start),
                                                    QString::fromLatin1(kCsvFilter));
    if (chosen.isEmpty()) {
        return;
    }
    saveName_ = ToFileName(chosen);
    // The chooser asked before replacing an existing file, but does not know the log: a yes
    // must not replace it.
    if (!values_->SaveCsv(saveName_, ExistingTarget::kReplace, logPath_)) {
        values_->Report().Show(Msg());
    }
}

}  // namespace qx7::gui
