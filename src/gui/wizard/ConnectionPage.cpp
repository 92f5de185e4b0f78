#include "gui/wizard/ConnectionPage.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"

namespace qx7::gui {

ConnectionPage::ConnectionPage(const PageContext& context)
    : WizardPage(context, PageId::kConnection) {
    auto* steps = new QLabel(this);
    SetControlNumber(steps, 1006);
    steps->setWordWrap(true);

    // The warning about the left main board is part of the layout but not shown on any road.
    auto* leftBoard = new QLabel(this);
    SetControlNumber(leftBoard, 1320);
    leftBoard->setWordWrap(true);
    QPalette red = leftBoard->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    leftBoard->setPalette(red);
    leftBoard->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addWidget(leftBoard);
    layout->addStretch(1);
}

void ConnectionPage::OnSetActive() {
    App().SetCurrentPage(PageNumber(PageId::kConnection));
    WizardPage::OnSetActive();
}

QX7_REGISTER_WIZARD_PAGE(ConnectionPage, PageId::kConnection);

}  // namespace qx7::gui
