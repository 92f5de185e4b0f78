#include "gui/wizard/LogViewersPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/LogFileChoice.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/log/EntryBrowserTexts.h"
#include "gui/log/LogFileName.h"
#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {
namespace {

constexpr int kInstructions = 1187;
constexpr int kFileInfoButton = 1191;
constexpr int kLogButton = 1189;
constexpr int kSettingsButton = 1188;
constexpr int kAnalysisButton = 1208;
constexpr int kStatisticsButton = 1192;
// Beyond the five viewers: the entry browser, its button numbered as its title string.
constexpr int kBrowseButton = kBrowserTitle;
constexpr int kNameLabel = 65535;
constexpr int kNameField = 1190;

}  // namespace

LogViewersPage::LogViewersPage(const PageContext& context)
    : WizardPage(context, PageId::kLogViewers) {
    auto* instructions = new QLabel(this);
    SetControlNumber(instructions, kInstructions);
    instructions->setWordWrap(true);

    // The buttons in one column of equal widths, beside empty room.
    auto* column = new QVBoxLayout;
    const QString notYet = LocalText(kMsgViewerNotAvailable);
    for (int number : {kFileInfoButton, kLogButton, kSettingsButton, kAnalysisButton,
                       kStatisticsButton, kBrowseButton}) {
        auto* button = new QPushButton(this);
        SetControlNumber(button, number);
        if (LogViewerRegistry::Global().Find(number) != nullptr) {
            connect(button, &QPushButton::clicked, this, [this, number] { OpenViewer(number); });
        } else {
            // A viewer this build lacks: the button says so rather than do nothing.
            button->setEnabled(false);
            button->setToolTip(notYet);
            button->setAccessibleDescription(notYet);
        }
        if (number == kBrowseButton) {
            // Set apart from the five viewers: it is no export or report but the log itself.
            SetCtrlText(button, kBrowserTitle);
            column->addSpacing(8);
        }
        column->addWidget(button);
        if (number == kSettingsButton) {
            settings_ = button;
        } else if (number == kFileInfoButton) {
            fileInfo_ = button;
        }
    }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addLayout(column);
    buttonRow->addStretch(1);

    auto* nameLabel = new QLabel(this);
    SetControlNumber(nameLabel, kNameLabel);
    name_ = new QLineEdit(this);
    SetControlNumber(name_, kNameField);
    name_->setReadOnly(true);
    nameLabel->setBuddy(name_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
    layout->addWidget(nameLabel);
    layout->addWidget(name_);
}

void LogViewersPage::OnSetActive() {
    App().SetCurrentPage(PageNumber(PageId::kLogViewers));
    WizardPage::OnSetActive();
    const std::string& logFile = App().GetLogFileName();
    const LogViewerButtons shown = ChooseLogViewerButtons(logFile, Context().clock);
    settings_->setVisible(shown.showSettings);
    fileInfo_->setVisible(shown.showFileInfo);
    SetWidgetText(name_, FromFileName(logFile));
}

void LogViewersPage::OpenViewer(int buttonNumber) {
    const LogViewerMaker* make = LogViewerRegistry::Global().Find(buttonNumber);
    if (make == nullptr) {
        return;
    }
    // Every viewer is given the name the application object holds and reads the file itself,
    // which for a large log takes a moment: the hourglass meanwhile, not over the open viewer.
    QDialog* viewer = nullptr;
    {
        const WaitCursorScope wait;
        viewer = (*make)(Context(), App().GetLogFileName(), window());
    }
    ShowLogViewer(viewer);
}

QX7_REGISTER_WIZARD_PAGE(LogViewersPage, PageId::kLogViewers);

}  // namespace qx7::gui
