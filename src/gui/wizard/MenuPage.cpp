#include "gui/wizard/MenuPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/PageFlow.h"
#include "core/app/VersionLine.h"
#include "gui/app/ControlText.h"

namespace qx7::gui {
namespace {

constexpr int kVersionField = 1093;
constexpr int kNoticeField = 1094;

QLineEdit* MakeReadOnlyField(QWidget* parent, int number) {
    auto* field = new QLineEdit(parent);
    SetControlNumber(field, number);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

}  // namespace

MenuPage::MenuPage(const PageContext& context, PageId page) : WizardPage(context, page) {}

QGroupBox* MenuPage::MakeChoiceGroup(int groupNumber, std::initializer_list<Choice> choices,
                                     int initial) {
    auto* group = new QGroupBox(this);
    SetControlNumber(group, groupNumber);
    auto* layout = new QVBoxLayout(group);
    for (const Choice& choice : choices) {
        auto* radio = new QRadioButton(QString::fromUtf8(choice.placeholder), group);
        SetControlNumber(radio, choice.number);
        radio->setChecked(choice.number == initial);
        radio->setVisible(!choice.hidden || Context().options.serviceMode);
        layout->addWidget(radio);
        choices_.push_back(radio);
    }
    return group;
}

QLabel* MenuPage::MakeNote(int number) {
    auto* label = new QLabel(this);
    SetControlNumber(label, number);
    label->setWordWrap(true);
    return label;
}

QWidget* MenuPage::MakeVersionFields() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    version_ = MakeReadOnlyField(box, kVersionField);
    layout->addWidget(version_);
    layout->addWidget(MakeReadOnlyField(box, kNoticeField));
    return box;
}

void MenuPage::OnSetActive() {
    WizardPage::OnSetActive();
    if (version_ != nullptr) {
        SetWidgetText(version_, QString::fromStdString(MenuVersionText(
                                    TemplateId(), VersionLine(BuiltProgramVersion()))));
    }
    EnterMenuPage(App(), TemplateId());
}

int MenuPage::OnWizardNext() {
    return LeaveMenuPage(App(), TemplateId(), SelectedChoices());
}

void MenuPage::ShowChosen(int number) {
    for (QRadioButton* radio : choices_) {
        if (radio->objectName() == QString::number(number)) {
            radio->setVisible(true);
            radio->setChecked(true);
        }
    }
}

std::vector<int> MenuPage::SelectedChoices() const {
    std::vector<int> selected;
    for (const QRadioButton* radio : choices_) {
        if (radio->isChecked()) {
            selected.push_back(radio->objectName().toInt());
        }
    }
    return selected;
}

}  // namespace qx7::gui
