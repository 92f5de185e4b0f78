#include "gui/settings/SettingsListDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>
#include <memory>
#include <utility>

#include "core/text/MessageSink.h"
#include "core/text/Messages.h"
#include "core/app/QVJServToolApp.h"
#include "core/log/QXLogFile.h"
#include "core/settings/BlockRecord.h"
#include "core/settings/EEPFile.h"
#include "gui/app/ControlText.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/LogViewerRegistry.h"
#include "gui/settings/SettingsBlockDialog.h"

namespace qx7::gui {
namespace {

constexpr int kTitle = 286;
constexpr int kInstructions = 1026;
constexpr int kInstructionsText = 111;
constexpr int kListLabel = 1267;
constexpr int kListLabelText = 299;
constexpr int kList = 1036;
constexpr int kCompareBox = 1196;
constexpr int kCompareText = 301;
constexpr int kDisplayButton = 1029;
constexpr int kDisplayText = 300;
constexpr int kCloseButton = 1058;
constexpr int kCloseText = 290;

constexpr int kViewSettingsButton = 1188;
constexpr int kNoBlocksText = 5701;
constexpr int kChooseBlockText = 5702;
constexpr int kReadingText = 5617;

}  // namespace

SettingsListDialog::SettingsListDialog(const PageContext& context, const std::string& logPath,
                                       QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CEEPDispSel"), parent), logPath_(logPath) {
    auto* instructions = new QLabel(this);
    SetControlNumber(instructions, kInstructions);
    instructions->setWordWrap(true);

    auto* listLabel = new QLabel(this);
    SetControlNumber(listLabel, kListLabel);
    list_ = new QListWidget(this);
    SetControlNumber(list_, kList);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    listLabel->setBuddy(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Display(); });

    // A log without settings blocks says so where the list would be.
    auto* noBlocks = new QLabel(this);
    noBlocks->setObjectName(QStringLiteral("noBlocks"));
    noBlocks->setWordWrap(true);
    noBlocks->hide();

    compare_ = new QCheckBox(this);
    SetControlNumber(compare_, kCompareBox);

    auto* display = new QPushButton(this);
    SetControlNumber(display, kDisplayButton);
    display->setDefault(true);
    connect(display, &QPushButton::clicked, this, &SettingsListDialog::Display);
    auto* close = new QPushButton(this);
    SetControlNumber(close, kCloseButton);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // The list and its box grow; the buttons keep their size at the right.
    auto* choice = new QVBoxLayout;
    choice->addWidget(listLabel);
    choice->addWidget(noBlocks);
    choice->addWidget(list_, 1);
    choice->addWidget(compare_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(display);
    buttons->addWidget(close);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addLayout(choice, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addLayout(row, 1);

    SetCtrlText(this, kTitle);
    SetCtrlText(instructions, kInstructionsText);
    SetCtrlText(listLabel, kListLabelText);
    SetCtrlText(compare_, kCompareText);
    SetCtrlText(display, kDisplayText);
    SetCtrlText(close, kCloseText);

    noBlocks_ = noBlocks;
    display_ = display;
    close_ = close;
    // Read on a worker: until the blocks are there the list says it is reading and nothing
    // can be displayed.
    SetWidgetText(noBlocks, LocalText(kReadingText));
    noBlocks->show();
    list_->setEnabled(false);
    display->setEnabled(false);
    compare_->setEnabled(false);
    BeginReading();
    reading_ = std::make_unique<BackgroundWork>(
        this,
        [path = logPath, &clock = Context().clock](const std::atomic<bool>&) {
            CQXLogFile reader(clock);
            std::vector<SettingsBlockSlot> blocks = ReadSettingsBlocks(reader, path);
            // Only the records are kept; the file (and a compressed log's inflated copy) goes
            // now.
            reader.Close();
            return blocks;
        },
        [this](std::vector<SettingsBlockSlot> blocks) { ShowRead(std::move(blocks)); });
}

void SettingsListDialog::ShowRead(std::vector<SettingsBlockSlot> blocks) {
    reading_.reset();
    slots_ = std::move(blocks);
    list_->setEnabled(true);
    for (const SettingsBlockSlot& slot : slots_) {
        list_->addItem(QString::fromStdString(slot.itemText));
    }
    if (slots_.empty()) {
        SetWidgetText(noBlocks_, LocalText(kNoBlocksText));
        noBlocks_->show();
        list_->setAccessibleDescription(noBlocks_->text());
        close_->setFocus();
    } else {
        noBlocks_->hide();
        SetWidgetText(noBlocks_, QString());
        display_->setEnabled(true);
        compare_->setEnabled(true);
        list_->setFocus();
    }
    EndReading();
    emit readingFinished();
}

SettingsListDialog::~SettingsListDialog() = default;

void SettingsListDialog::done(int result) {
    if (reading_) {
        reading_->Stop();
    }
    ViewerDialog::done(result);
}

void SettingsListDialog::Display() {
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    if (chosen.isEmpty()) {
        const QString display = WithoutMnemonics(ControlAs<QPushButton>(kDisplayButton)->text());
        Msg().Sink().Show(LocalText(kChooseBlockText).arg(display).toStdString(),
                          MessageKind::kInformation);
        list_->setFocus();
        return;
    }
    const int row = list_->row(chosen.front());
    if (row < 0 || static_cast<std::size_t>(row) >= slots_.size()) {
        return;
    }
    const SettingsBlockSlot& slot = slots_[static_cast<std::size_t>(row)];
    auto values = std::make_unique<CEEPFile>();
    auto factory = std::make_unique<CEEPFile>();
    bool factoryLoaded = false;
    const SettingsLoadResult loaded =
        LoadSettingsRecord(slot.block->templateNumber, slot.record.data(), slot.record.size(),
                           compare_->isChecked(), *values, *factory, factoryLoaded);
    // The templates' failures, in the order they were met: the factory's is loaded first.
    factory->Report().Show(Msg());
    values->Report().Show(Msg());
    // A record that fails its check shows nothing; a template that fails has said why.
    if (loaded != SettingsLoadResult::Ok) {
        return;
    }
    values->Close();
    factory->Close();
    ShowLogViewer(new SettingsBlockDialog(Context(), logPath_, std::move(values),
                                factoryLoaded ? std::move(factory) : nullptr, this));
}

QX7_REGISTER_LOG_VIEWER(SettingsListDialog, kViewSettingsButton,
                        [](const PageContext& c, const std::string& log, QWidget* parent)
                            -> QDialog* { return new SettingsListDialog(c, log, parent); });

}  // namespace qx7::gui
