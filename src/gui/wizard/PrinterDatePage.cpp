#include "gui/wizard/PrinterDatePage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WizardSheet.h"

namespace qx7::gui {
namespace {

constexpr int kUsePcTime = 1073;
constexpr int kZoneLabel = 1279;
constexpr int kZoneName = 1226;
constexpr int kRefreshMs = 1000;

// The fields left to right with the labels above them.
struct Field {
    int edit;
    int label;
};
constexpr std::array<Field, 6> kFields = {{{kControlMonth, 1280},
                                           {kControlDay, 1281},
                                           {kControlYear, 1282},
                                           {kControlHour, 1283},
                                           {kControlMinute, 1284},
                                           {kControlSecond, 1285}}};
// Where the time fields start; a gap separates them from the date.
constexpr std::size_t kFirstTimeField = 3;

}  // namespace

PrinterDatePage::PrinterDatePage(const PageContext& context)
    : WizardPage(context, PageId::kPrinterDate) {
    auto* steps = new QLabel(this);
    SetControlNumber(steps, 1066);
    steps->setWordWrap(true);

    usePcTime_ = new QCheckBox(this);
    SetControlNumber(usePcTime_, kUsePcTime);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    const int wide = fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        auto* label = new QLabel(this);
        SetControlNumber(label, kFields[i].label);
        auto* edit = new QLineEdit(this);
        SetControlNumber(edit, kFields[i].edit);
        edit->setMinimumWidth(wide);
        label->setBuddy(edit);
        fields_[i] = edit;
        const int column = static_cast<int>(i) + (i >= kFirstTimeField ? 1 : 0);
        grid->addWidget(label, 0, column);
        grid->addWidget(edit, 1, column);
    }
    grid->setColumnMinimumWidth(static_cast<int>(kFirstTimeField), 16);
    grid->setColumnStretch(static_cast<int>(kFields.size()) + 1, 1);

    // The zone is part of the layout but never shown; nothing reads it back.
    auto* zoneLabel = new QLabel(this);
    SetControlNumber(zoneLabel, kZoneLabel);
    zoneLabel->hide();
    zoneName_ = new QLabel(this);
    SetControlNumber(zoneName_, kZoneName);
    zoneName_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addSpacing(12);
    layout->addWidget(usePcTime_);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addWidget(zoneLabel);
    layout->addWidget(zoneName_);
    layout->addStretch(1);

    // Typed values need the box clear; a tick shows the PC's time again at the next second.
    connect(usePcTime_, &QCheckBox::toggled, this, [this](bool ticked) {
        for (QLineEdit* field : fields_) {
            field->setEnabled(!ticked);
        }
    });
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &PrinterDatePage::Tick);
}

void PrinterDatePage::OnSetActive() {
    WizardPage::OnSetActive();
    usePcTime_->setChecked(true);
    for (QLineEdit* field : fields_) {
        field->setEnabled(false);
    }
    ShowPcTime();
    refresh_.start();
    SetWidgetText(zoneName_, QString::fromStdString(TimeZoneName(Context().clock)));
    FocusControl(usePcTime_);
}

void PrinterDatePage::OnKillActive() {
    refresh_.stop();
}

void PrinterDatePage::Tick() {
    if (usePcTime_->isChecked()) {
        ShowPcTime();
    }
}

void PrinterDatePage::ShowPcTime() {
    const std::optional<CivilTime> now = PcLocalTimeNow(Context().clock);
    if (!now) {
        return;
    }
    const DateFieldTexts texts = DateFieldTextsFrom(*now);
    const std::array<const std::string*, 6> inOrder = {&texts.month, &texts.day,    &texts.year,
                                                       &texts.hour,  &texts.minute, &texts.second};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(QString::fromStdString(*inOrder[i]));
    }
}

DateFieldTexts PrinterDatePage::Shown() const {
    auto text = [this](std::size_t i) { return fields_[i]->text().toStdString(); };
    DateFieldTexts texts;
    texts.month = text(0);
    texts.day = text(1);
    texts.year = text(2);
    texts.hour = text(3);
    texts.minute = text(4);
    texts.second = text(5);
    return texts;
}

int PrinterDatePage::OnWizardNext() {
    // The time sent is the time shown now: no refresh while it is checked and sent.
    refresh_.stop();
    const auto shown = Shown();
    SetDateNextResult result;
    RunPrinterStep(Sheet(), [&] { result = SetDateNext(App(), shown, Context().clock); });
    if (result.outcome == SetDateOutcome::Moved) {
        return result.page;
    }
    refresh_.start();
    if (result.outcome == SetDateOutcome::FieldRejected) {
        if (auto* field = qobject_cast<QLineEdit*>(Control(result.failingControl))) {
            field->selectAll();
            FocusControl(field);
        }
    }
    return kStayOnPage;
}

int PrinterDatePage::OnWizardBack() {
    refresh_.stop();
    const int page = WizardPage::OnWizardBack();
    if (page == kStayOnPage) {
        refresh_.start();  // still on show: keep following the clock
    }
    return page;
}

bool PrinterDatePage::OnQueryCancel() {
    if (!WizardPage::OnQueryCancel()) {
        return false;
    }
    refresh_.stop();
    return true;
}

QX7_REGISTER_WIZARD_PAGE(PrinterDatePage, PageId::kPrinterDate);

}  // namespace qx7::gui
