#include "gui/settings/ViewEEP2.h"

#include <QDir>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "core/app/LogFileChoice.h"
#include "core/app/QVJServToolApp.h"
#include "core/settings/EEPFile.h"
#include "core/settings/SettingsRows.h"
#include "gui/app/ControlText.h"
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

QLineEdit* ReadOnlyField(QWidget* parent, int number) {
    auto* field = new QLineEdit(parent);
    SetControlNumber(field, number);
    field->setReadOnly(true);
    return field;
}

}  // namespace

CViewEEP2::CViewEEP2(const PageContext& context, std::unique_ptr<CEEPFile> values,
                     std::unique_ptr<CEEPFile> factory, QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CViewEEP2"), parent),
      values_(values != nullptr ? std::move(values) : std::make_unique<CEEPFile>(Msg())),
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
    saveAs->setAutoDefault(false);
    connect(saveAs, &QPushButton::clicked, this, &CViewEEP2::SaveAs);
    auto* close = new QPushButton(this);
    SetControlNumber(close, kCloseButton);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

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
    // Tab goes as the layout reads: the top row with its buttons, the texts, the list.
    QWidget* order[] = {blockId, version, saveAs, close, signature, title, list_};
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
    if (const QScreen* shown = screen()) {
        wanted = wanted.boundedTo(shown->availableGeometry().size() * 9 / 10);
    }
    resize(wanted.expandedTo(minimumSize()));

    list_->setFocus();
}

CViewEEP2::~CViewEEP2() = default;

void CViewEEP2::SetColumnWidths() {
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

void CViewEEP2::SaveAs() {
    // The program's folder, unless it holds no logs (an installed program's folder): then home.
    const std::string start =
        LogBrowseStart(saveName_, App().GetProgramDirectory(), ToFileName(QDir::homePath()));
    const QString chosen = Context().files.SaveFile(this, QString(), FromFileName(start),
                                                    QString::fromLatin1(kCsvFilter));
    if (chosen.isEmpty()) {
        return;
    }
    saveName_ = ToFileName(chosen);
    // The chooser asked before replacing an existing file. A failure shows its own message.
    values_->SaveCsv(saveName_, ExistingTarget::kReplace);
}

}  // namespace qx7::gui
