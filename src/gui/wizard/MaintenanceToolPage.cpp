#include "gui/wizard/MaintenanceToolPage.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/MaintenanceToolLaunch.h"
#include "core/text/Messages.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/ProgramStarter.h"

namespace qx7::gui {
namespace {

bool IsExecutableFile(const std::string& path) {
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    return info.isFile() && info.isExecutable();
}

}  // namespace

MaintenanceToolPage::MaintenanceToolPage(const PageContext& context, PageId page,
                                         std::span<const int> texts)
    : ConfirmationBoxPage(context, page) {
    auto* layout = new QVBoxLayout(this);
    bool heading = true;
    for (int number : texts) {
        QLabel* label = MakeInstruction(number);
        if (heading) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
            heading = false;
        }
        layout->addWidget(label);
    }

    start_ = new QPushButton(this);
    SetControlNumber(start_, kControlStartMaintenanceTool);
    connect(start_, &QPushButton::clicked, this, &MaintenanceToolPage::StartMaintenanceTool);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(start_);
    buttonRow->addStretch(1);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
    layout->addWidget(ConfirmationBox());

    // The button is what the user does first on these pages.
    SetFirstInput(start_);
}

void MaintenanceToolPage::StartMaintenanceTool() {
    const std::optional<std::string> tool = FindMaintenanceTool(
        qgetenv("PATH").toStdString(), App().GetProgramDirectory(), IsExecutableFile);
    if (!tool ||
        !Context().programs.Start(QFile::decodeName(QByteArray::fromStdString(*tool)), {})) {
        Msg().ShowMessage(kMsgMaintenanceToolMissing, 0);
    }
}

}  // namespace qx7::gui
