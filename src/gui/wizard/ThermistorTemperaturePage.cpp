#include "gui/wizard/ThermistorTemperaturePage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/ToolSettings.h"
#include "gui/app/WizardSheet.h"

namespace qx7::gui {
namespace {

constexpr int kRadioFahrenheit = 1010;
constexpr int kRadioCelsius = 1011;
constexpr int kEditFahrenheit = 1013;
constexpr int kEditCelsius = 1014;
constexpr int kLabelTemperature = 1290;
constexpr int kStringTemperature = 352;
constexpr int kStringFahrenheit = 353;
constexpr int kStringCelsius = 354;

QLineEdit* MakeEdit(QWidget* parent, int number) {
    auto* edit = new QLineEdit(parent);
    SetControlNumber(edit, number);
    // Room for a reading such as "-12.34" and a little more.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16);
    return edit;
}

void ShowIfDifferent(QLineEdit* edit, const std::optional<std::string>& text) {
    // The update may run again inside setText (a change event); a text already there is left
    // alone, so the updates settle.
    if (text && edit->text() != QString::fromStdString(*text)) {
        edit->setText(QString::fromStdString(*text));
    }
}

}  // namespace

ThermistorTemperaturePage::ThermistorTemperaturePage(const PageContext& context)
    : WizardPage(context, PageId::kThermistorTemperature) {
    auto* steps = new QLabel(this);
    SetControlNumber(steps, 1009);
    steps->setWordWrap(true);

    fahrenheit_ = new QRadioButton(this);
    SetControlNumber(fahrenheit_, kRadioFahrenheit);
    celsius_ = new QRadioButton(this);
    SetControlNumber(celsius_, kRadioCelsius);

    auto* temperature = new QLabel(this);
    SetControlNumber(temperature, kLabelTemperature);
    temperature->setWordWrap(true);
    fahrenheitEdit_ = MakeEdit(this, kEditFahrenheit);
    celsiusEdit_ = MakeEdit(this, kEditCelsius);
    auto* fahrenheitUnit = new QLabel(QStringLiteral("F"), this);
    auto* celsiusUnit = new QLabel(QStringLiteral("C"), this);
    fahrenheitUnit->setBuddy(fahrenheitEdit_);
    celsiusUnit->setBuddy(celsiusEdit_);

    auto* reading = new QGridLayout;
    reading->addWidget(temperature, 0, 0);
    reading->addWidget(fahrenheitEdit_, 0, 1);
    reading->addWidget(fahrenheitUnit, 0, 2);
    reading->addWidget(celsiusEdit_, 0, 3);
    reading->addWidget(celsiusUnit, 0, 4);
    reading->setColumnStretch(5, 1);
    reading->setHorizontalSpacing(8);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addSpacing(12);
    layout->addWidget(fahrenheit_);
    layout->addWidget(celsius_);
    layout->addSpacing(8);
    layout->addLayout(reading);
    layout->addStretch(1);

    connect(fahrenheit_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !arriving_) {
            UpdateUnits();
        }
    });
    connect(celsius_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !arriving_) {
            UpdateUnits();
        }
    });
    for (QLineEdit* edit : {fahrenheitEdit_, celsiusEdit_}) {
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!arriving_) {
                UpdateUnits();
            }
        });
    }
}

void ThermistorTemperaturePage::OnSetActive() {
    WizardPage::OnSetActive();
    // Each edit is named by the label and its unit ("Temperature: Fahrenheit degree").
    const QString label = LocalText(kStringTemperature);
    fahrenheitEdit_->setAccessibleName(label + QLatin1Char(' ') + LocalText(kStringFahrenheit));
    celsiusEdit_->setAccessibleName(label + QLatin1Char(' ') + LocalText(kStringCelsius));

    arriving_ = true;
    values_ = ThermistorValues{};
    const bool fahrenheit = Context().settings.TempUnit() == kTempUnitFahrenheit;
    (fahrenheit ? fahrenheit_ : celsius_)->setChecked(true);
    const ThermistorTexts texts = ThermistorTextsFrom(values_);
    celsiusEdit_->setText(QString::fromStdString(texts.celsius));
    fahrenheitEdit_->setText(QString::fromStdString(texts.fahrenheit));
    arriving_ = false;
    UpdateUnits();

    QLineEdit* typed = fahrenheit ? fahrenheitEdit_ : celsiusEdit_;
    typed->selectAll();
    FocusControl(typed);
}

bool ThermistorTemperaturePage::FahrenheitSelected() const {
    return fahrenheit_->isChecked();
}

ThermistorTexts ThermistorTemperaturePage::Shown() const {
    return {celsiusEdit_->text().toStdString(), fahrenheitEdit_->text().toStdString()};
}

void ThermistorTemperaturePage::UpdateUnits() {
    const ThermistorUnitUpdate update =
        UpdateThermistorUnits(FahrenheitSelected(), Shown(), values_);
    fahrenheitEdit_->setEnabled(update.fahrenheitEnabled);
    celsiusEdit_->setEnabled(!update.fahrenheitEnabled);
    ShowIfDifferent(celsiusEdit_, update.celsiusText);
    ShowIfDifferent(fahrenheitEdit_, update.fahrenheitText);
}

int ThermistorTemperaturePage::OnWizardNext() {
    const bool fahrenheit = FahrenheitSelected();
    const auto shown = Shown();
    ThermistorNextResult result;
    RunPrinterStep(Sheet(), [&] {
        result = ThermistorCalibrationNext(App(), fahrenheit, shown, values_);
    });
    if (result.tempUnit) {
        Context().settings.SetTempUnit(*result.tempUnit);
    } else {
        // "Enter a number.": back to the reading to mend.
        QLineEdit* typed = FahrenheitSelected() ? fahrenheitEdit_ : celsiusEdit_;
        typed->selectAll();
        FocusControl(typed);
    }
    return result.page;
}

QX7_REGISTER_WIZARD_PAGE(ThermistorTemperaturePage, PageId::kThermistorTemperature);

}  // namespace qx7::gui
