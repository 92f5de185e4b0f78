#pragma once
// The thermometer reading of the calibration page (136): the two edits in Fahrenheit and
// Celsius kept in step, the whole-Fahrenheit value sent to the printer, its range check, and
// what the page does on Next.

#include <optional>
#include <string>

namespace qx7 {

class CQVJServToolApp;
class Messages;

inline constexpr double kDefaultCelsius = 20.0;
inline constexpr double kDefaultFahrenheit = 68.0;
inline constexpr int kThermistorLowestF = 50;
inline constexpr int kThermistorHighestF = 95;
inline constexpr int kCodeTemperatureRange = -61;
// "The input value is far from the present temperature.\nInput the appropriate value."
inline constexpr int kMsgTemperatureRefused = 122;

// TempUnit profile values.
inline constexpr int kTempUnitFahrenheit = 0;
inline constexpr int kTempUnitCelsius = 1;

// The derived value keeps two decimals, cut toward zero, not rounded:
// trunc((F - 32) / 1.8 * 100) / 100 and trunc(C * 1.8 * 100 + 3200) / 100. Readings beyond
// ±1e15 are taken as ±1e15 so the result stays finite.
double CelsiusFromFahrenheit(double fahrenheit);
double FahrenheitFromCelsius(double celsius);

// Whole degrees Fahrenheit: trunc(F + 0.5), or trunc(C * 1.8 + 32 + 0.5) from Celsius. Readings
// far outside any range are held at ±1e9 first, so the answer is always a defined integer that
// fails the range check.
int WholeFahrenheit(double reading, bool fahrenheitSelected);

// 50 to 95 °F.
bool IsCalibrationTemperatureInRange(int fahrenheit);

// The page's two members and the texts of their edits.
struct ThermistorValues {
    double celsius = kDefaultCelsius;
    double fahrenheit = kDefaultFahrenheit;
};
struct ThermistorTexts {
    std::string celsius;     // edit 1014
    std::string fahrenheit;  // edit 1013
};

// The edits' texts for the members (on activation, after the defaults are set).
ThermistorTexts ThermistorTextsFrom(const ThermistorValues& values);

// Reads the edits into the members, Celsius first. At the first text that is no number it
// shows "Enter a number." and answers false; that member and the ones after it keep their
// values.
bool ReadThermistorTexts(const ThermistorTexts& texts, ThermistorValues& values,
                         const Messages& messages);

// What the unit update asks of the page: which edit is enabled, and the texts to write (only
// those that differ from what the edit shows, so the change events settle).
struct ThermistorUnitUpdate {
    bool fahrenheitEnabled = true;  // the selected unit's edit is enabled, the other disabled
    std::optional<std::string> celsiusText;
    std::optional<std::string> fahrenheitText;
};
// Run on activation, on a radio click and on every change of either edit. The selected edit is
// read silently: while it holds no number (empty, half-typed, mistyped) nothing converts and
// nothing is shown, so the user can go on typing; otherwise the unselected value is derived
// from it and written back. The selected edit keeps the form it was typed in ("9." or "07").
ThermistorUnitUpdate UpdateThermistorUnits(bool fahrenheitSelected, const ThermistorTexts& shown,
                                           ThermistorValues& values);

// Next of page 136: reads the edits (staying after "Enter a number."), answers the TempUnit
// value to store, checks T = WholeFahrenheit against 50..95 (message 252 with -61 and T),
// and unless in demo mode sends T with CalibrateThermistor. A refusal by the printer (the
// reply's status, -12) shows 122; any other failure 237 with the failing step's code. On
// success the page moves on through GoNext (257 for the main board road, else 147).
struct ThermistorNextResult {
    int page = -1;                // what OnWizardNext answers (-1 stays)
    std::optional<int> tempUnit;  // the TempUnit to store, once the edits read well
    int temperature = 0;          // T, once computed
};
ThermistorNextResult ThermistorCalibrationNext(CQVJServToolApp& app, bool fahrenheitSelected,
                                               const ThermistorTexts& texts,
                                               ThermistorValues& values);

}  // namespace qx7
