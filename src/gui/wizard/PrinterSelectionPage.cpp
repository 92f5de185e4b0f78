#include "gui/wizard/PrinterSelectionPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/PrinterList.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WizardSheet.h"

namespace qx7::gui {

PrinterSelectionPage::PrinterSelectionPage(const PageContext& context)
    : WizardPage(context, PageId::kPrinterSelection) {
    auto* steps = new QLabel(this);
    SetControlNumber(steps, 1176);
    steps->setWordWrap(true);

    auto* caption = new QLabel(this);
    SetControlNumber(caption, 1273);
    caption->setWordWrap(true);

    printers_ = new QComboBox(this);
    SetControlNumber(printers_, 1000);
    printers_->setEditable(false);
    printers_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    printers_->setMinimumContentsLength(24);
    caption->setBuddy(printers_);  // its text names the list for assistive tools

    search_ = new QPushButton(this);
    SetControlNumber(search_, 1177);

    auto* row = new QHBoxLayout;
    row->addWidget(printers_, 1);
    row->addWidget(search_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addSpacing(12);
    layout->addWidget(caption);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(printers_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            chosen_ = printers_->itemText(index).toStdString();
        }
    });
    connect(search_, &QPushButton::clicked, this, [this] { FillList(); });
}

void PrinterSelectionPage::OnSetActive() {
    App().SetCurrentPage(PageNumber(PageId::kPrinterSelection));
    // The texts first, so that the page behind a "not found" box already reads right.
    WizardPage::OnSetActive();
    FillList();
}

void PrinterSelectionPage::FillList() {
    // Every candidate printer is asked whether it is ready: off the window's thread, with the
    // hourglass unless no printer is asked (demo).
    PrinterListResult result;
    RunPrinterStep(
        Sheet(), [&] { result = FillPrinterList(App()); }, !App().IsDemoMode());

    printers_->clear();
    for (const std::string& name : result.names) {
        printers_->addItem(QString::fromStdString(name));
    }
    printers_->setCurrentIndex(result.selected);
    if (result.filled && result.selected >= 0) {
        chosen_ = result.names.at(static_cast<std::size_t>(result.selected));
    }
    SetWizardButtons(PrinterListButtons(result.filled));
}

int PrinterSelectionPage::OnWizardNext() {
    return PrinterSelectionNext(App(), chosen_);
}

QX7_REGISTER_WIZARD_PAGE(PrinterSelectionPage, PageId::kPrinterSelection);

}  // namespace qx7::gui
