#pragma once
// The date page (160): its six fields, their checks in the order the page reads them, the
// printer clock value from typed fields, and what the page does on Next.

#include <cstdint>
#include <optional>
#include <string>

#include "core/text/Language.h"
#include "core/base/LocalTime.h"

namespace qx7 {

class CQVJServToolApp;

inline constexpr int kControlYear = 1074;
inline constexpr int kControlMonth = 1075;
inline constexpr int kControlDay = 1076;
inline constexpr int kControlHour = 1077;
inline constexpr int kControlMinute = 1078;
inline constexpr int kControlSecond = 1079;
// The code shown with message 237 when the clock could not be set or computed.
inline constexpr int kCodeSetClockFailed = -191;

// The texts of the six edits.
struct DateFieldTexts {
    std::string year;
    std::string month;
    std::string day;
    std::string hour;
    std::string minute;
    std::string second;
};

// The fields as the page shows them (plain decimal numbers, the year with four digits).
DateFieldTexts DateFieldTextsFrom(const CivilTime& time);
// The PC's local time now, for the refresh while the box is ticked; nullopt when the system
// cannot tell (the fields keep what they show).
std::optional<CivilTime> PcLocalTimeNow(const ILocalTime& clock);
// The zone's name for the hidden field 1226: the daylight name while daylight time is in force
// now, else the standard name.
std::string TimeZoneName(const ILocalTime& clock);

// The checks in the page's reading order: day 1..31, hour 0..23, minute 0..59, month 1..12,
// second 0..59, year 2000..2100. The first failing field gives its control and the text to show
// ("Enter an integer." or "Enter an integer between LOW and HIGH."); later fields are not read.
struct DateFieldCheck {
    std::optional<CivilTime> time;  // all fields fit
    int failingControl = 0;
    std::string message;
};
DateFieldCheck CheckDateFields(const DateFieldTexts& texts, LanguageId language);

// The printer clock value for a local wall-clock time: the local-time conversion (the system
// decides daylight time; a day beyond the month's end rolls into the next month), then
// ToPrinterTime. nullopt when either conversion fails.
std::optional<std::uint32_t> PrinterClockFromLocal(const CivilTime& local, const ILocalTime& clock);

// Next of page 160.
enum class SetDateOutcome {
    Moved,          // went on to 163 (GoNext done)
    FieldRejected,  // a field did not fit: its message shown, focus to failingControl
    SendFailed,     // 237 with -191 shown: the clock could not be computed or the printer
                    // did not take it (the page restarts its refresh timer)
};
struct SetDateNextResult {
    SetDateOutcome outcome = SetDateOutcome::FieldRejected;
    int page = -1;  // what OnWizardNext answers
    int failingControl = 0;
};
// Checks the fields (the message goes through the app's messages); in demo mode goes on at
// once; otherwise computes the printer clock value with `clock` and sends it with
// SetPrinterClock.
SetDateNextResult SetDateNext(CQVJServToolApp& app, const DateFieldTexts& texts,
                              const ILocalTime& clock);

}  // namespace qx7
