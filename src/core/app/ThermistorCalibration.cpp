#include "core/app/ThermistorCalibration.h"

#include <algorithm>
#include <cmath>

#include "core/app/FieldValidation.h"
#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/comm/PrinterLink.h"

namespace qx7 {
namespace {

constexpr double kLargestReading = 1e15;
constexpr double kLargestWholeF = 1e9;

double Held(double value, double limit) {
    return std::clamp(value, -limit, limit);
}

// One edit through the framework's number exchange.
bool ReadOne(const std::string& text, double& member, const Messages& messages) {
    const auto value = ParseNumberText(text);
    if (!value) {
        const std::string message = ValidationText(messages.Language(), kMsgEnterNumber);
        if (!message.empty()) {
            messages.Sink().Show(message, MessageKind::kWarning);
        }
        return false;
    }
    member = *value;
    return true;
}

}  // namespace

double CelsiusFromFahrenheit(double fahrenheit) {
    return std::trunc((Held(fahrenheit, kLargestReading) - 32) / 1.8 * 100) / 100;
}

double FahrenheitFromCelsius(double celsius) {
    return std::trunc(Held(celsius, kLargestReading) * 1.8 * 100 + 3200) / 100;
}

int WholeFahrenheit(double reading, bool fahrenheitSelected) {
    const double fahrenheit = fahrenheitSelected ? reading + 0.5 : reading * 1.8 + 32 + 0.5;
    return static_cast<int>(std::trunc(Held(fahrenheit, kLargestWholeF)));
}

bool IsCalibrationTemperatureInRange(int fahrenheit) {
    return fahrenheit >= kThermistorLowestF && fahrenheit <= kThermistorHighestF;
}

ThermistorTexts ThermistorTextsFrom(const ThermistorValues& values) {
    return {FormatNumberText(values.celsius), FormatNumberText(values.fahrenheit)};
}

bool ReadThermistorTexts(const ThermistorTexts& texts, ThermistorValues& values,
                         const Messages& messages) {
    return ReadOne(texts.celsius, values.celsius, messages) &&
           ReadOne(texts.fahrenheit, values.fahrenheit, messages);
}

ThermistorUnitUpdate UpdateThermistorUnits(bool fahrenheitSelected, const ThermistorTexts& shown,
                                           ThermistorValues& values) {
    ThermistorUnitUpdate update;
    update.fahrenheitEnabled = fahrenheitSelected;
    const std::string& selected = fahrenheitSelected ? shown.fahrenheit : shown.celsius;
    // Half-typed ("-", "1e") or mistyped: nothing converts and nothing is said while the user
    // types; Next reads the edits and says "Enter a number.". The typed edit keeps its text
    // whenever it changes ("9." on the way to "9.7" must not turn into "9" under the cursor).
    const auto typed = ParseNumberText(selected);
    if (!typed) {
        return update;
    }
    if (fahrenheitSelected) {
        values.fahrenheit = *typed;
        values.celsius = CelsiusFromFahrenheit(values.fahrenheit);
        const std::string celsius = FormatNumberText(values.celsius);
        if (celsius != shown.celsius) {
            update.celsiusText = celsius;
        }
    } else {
        values.celsius = *typed;
        values.fahrenheit = FahrenheitFromCelsius(values.celsius);
        const std::string fahrenheit = FormatNumberText(values.fahrenheit);
        if (fahrenheit != shown.fahrenheit) {
            update.fahrenheitText = fahrenheit;
        }
    }
    return update;
}

ThermistorNextResult ThermistorCalibrationNext(CQVJServToolApp& app, bool fahrenheitSelected,
                                               const ThermistorTexts& texts,
                                               ThermistorValues& values) {
    ThermistorNextResult result;
    const Messages& messages = app.GetMessages();
    if (!ReadThermistorTexts(texts, values, messages)) {
        return result;
    }
    result.tempUnit = fahrenheitSelected ? kTempUnitFahrenheit : kTempUnitCelsius;
    result.temperature = WholeFahrenheit(fahrenheitSelected ? values.fahrenheit : values.celsius,
                                         fahrenheitSelected);
    if (!IsCalibrationTemperatureInRange(result.temperature)) {
        messages.ShowTemperatureOutOfRange(result.temperature, kCodeTemperatureRange);
        return result;
    }
    if (!app.IsDemoMode() && !app.Printer().CalibrateThermistor(result.temperature)) {
        // Only a refusal in the printer's reply means the value was too far from its reading.
        if (app.Printer().GetLastResult() == kLinkReplyStatus) {
            messages.ShowMessage(kMsgTemperatureRefused, 0);
        } else {
            messages.ShowMessage(kMsgCommunicationError, app.Printer().GetLastResult());
        }
        return result;
    }
    result.page = GoToNextPage(app, PageId::kThermistorTemperature);
    return result;
}

}  // namespace qx7
