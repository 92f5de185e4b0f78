#include "gui/wizard/LogFileChoicePage.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/app/LogFileChoice.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/FileChooser.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/log/LogFileName.h"

namespace qx7::gui {
namespace {

constexpr int kInstructions = 1094;
constexpr int kNameLabel = 65535;
constexpr int kNameEdit = 1095;
constexpr int kBrowseButton = 1096;

// Logs first; the second choice lets any file through, as the page's check does.
constexpr char kLogFilter[] = "LOG Files (*.log *.zlg);;All Files (*)";

}  // namespace

LogFileChoicePage::LogFileChoicePage(const PageContext& context)
    : WizardPage(context, PageId::kLogFileChoice) {
    auto* instructions = new QLabel(this);
    SetControlNumber(instructions, kInstructions);
    instructions->setWordWrap(true);

    auto* nameLabel = new QLabel(this);
    SetControlNumber(nameLabel, kNameLabel);

    name_ = new QLineEdit(this);
    SetControlNumber(name_, kNameEdit);
    nameLabel->setBuddy(name_);
    // Files dropped anywhere on the page, the edit included, are the page's: the edit would
    // otherwise paste a dropped file's address as text.
    name_->setAcceptDrops(false);

    browse_ = new QPushButton(this);
    SetControlNumber(browse_, kBrowseButton);
    connect(browse_, &QPushButton::clicked, this, &LogFileChoicePage::Browse);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_, 1);
    nameRow->addWidget(browse_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addSpacing(12);
    layout->addWidget(nameLabel);
    layout->addLayout(nameRow);
    layout->addStretch(1);

    setAcceptDrops(true);
}

void LogFileChoicePage::OnSetActive() {
    App().SetCurrentPage(PageNumber(PageId::kLogFileChoice));
    WizardPage::OnSetActive();
    if (firstActivation_) {
        // Relative names are taken from the data folder, as a Windows install keeps its logs
        // there. A Linux install has no such folder: then the current folder stays.
        const std::string dataFolder = App().GetDataDirectory();
        std::error_code error;
        if (std::filesystem::is_directory(dataFolder, error)) {
            std::filesystem::current_path(dataFolder, error);
        }
        firstActivation_ = false;
    }
    SetWidgetText(name_, FromFileName(App().GetLogFileName()));
    FocusControl(name_);
}

int LogFileChoicePage::OnWizardNext() {
    WaitCursorScope wait;
    return LogFileNext(App(), ToFileName(name_->text()));
}

void LogFileChoicePage::Browse() {
    const std::string start = LogBrowseStart(ToFileName(name_->text()), App().GetProgramDirectory(),
                                             ToFileName(QDir::homePath()));
    const QString chosen = Context().files.OpenFile(this, QString(), FromFileName(start),
                                                    QString::fromLatin1(kLogFilter));
    if (!chosen.isEmpty()) {
        SetWidgetText(name_, chosen);
    }
}

void LogFileChoicePage::dragEnterEvent(QDragEnterEvent* event) {
    // Anything with addresses may be a file; what counts is decided on the drop.
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void LogFileChoicePage::dropEvent(QDropEvent* event) {
    std::vector<DroppedItem> items;
    for (const QUrl& url : event->mimeData()->urls()) {
        items.push_back(url.isLocalFile() ? DroppedItem{true, FileNameBytes(url)}
                                          : DroppedItem{false, url.toString().toStdString()});
    }
    event->acceptProposedAction();
    // Once the drop has returned: the program the files came from waits for its end, and a
    // message box shown inside it would keep that program waiting too.
    QMetaObject::invokeMethod(
        this,
        [this, items = std::move(items)] {
            std::string edited = ToFileName(name_->text());
            if (TakeDroppedLogFile(items, Msg(), edited)) {
                SetWidgetText(name_, FromFileName(edited));
            }
        },
        Qt::QueuedConnection);
}

QX7_REGISTER_WIZARD_PAGE(LogFileChoicePage, PageId::kLogFileChoice);

}  // namespace qx7::gui
