#include "platform/win32/Win32LocalTime.h"

#include <windows.h>

#include <climits>
#include <cwchar>

#include "platform/win32/WideText.h"

namespace qx7 {
namespace {

// FILETIME counts 100 ns from 1601-01-01; SYSTEMTIME cannot go below that year either.
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr int kFirstSystemTimeYear = 1601;

// The zone names are fixed arrays, terminated early when shorter.
std::string NameFromWide(const WCHAR* text, std::size_t capacity) {
    return win32::Utf8FromWide(std::wstring_view(text, wcsnlen(text, capacity)));
}

// A zone whose rules have a change date observes daylight time; otherwise the daylight fields
// are noise (Windows fills DaylightBias -60 even for Japan).
bool HasDaylightTime(const TIME_ZONE_INFORMATION& zone) {
    return zone.StandardDate.wMonth != 0 && zone.DaylightDate.wMonth != 0;
}

std::optional<SYSTEMTIME> SystemTimeFromCivil(const CivilTime& civil) {
    if (civil.year < kFirstSystemTimeYear || civil.year > 30827) {
        return std::nullopt;
    }
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(civil.year);
    st.wMonth = static_cast<WORD>(civil.month);
    st.wDay = static_cast<WORD>(civil.day);
    st.wHour = static_cast<WORD>(civil.hour);
    st.wMinute = static_cast<WORD>(civil.minute);
    st.wSecond = static_cast<WORD>(civil.second);
    // 1970-01-01 was a Thursday.
    const std::int64_t days = SecondsFromUtc({civil.year, civil.month, civil.day, 0, 0, 0}) / 86400;
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);
    return st;
}

CivilTime CivilFromSystemTime(const SYSTEMTIME& st) {
    return CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, false};
}

bool SameWallClock(const CivilTime& a, const CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

std::int64_t Win32LocalTime::Now() const {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const auto ticks = static_cast<std::int64_t>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) |
                                                 ft.dwLowDateTime);
    return ticks / kFileTimeTicksPerSecond - kSecondsFrom1601To1970;
}

std::int64_t Win32LocalTime::StandardOffsetWestSeconds() const {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        return 0;
    }
    // As the C runtime keeps it: the bias plus the standard bias where the zone has rules.
    std::int64_t minutes = zone.Bias;
    if (zone.StandardDate.wMonth != 0) {
        minutes += zone.StandardBias;
    }
    return minutes * 60;
}

TimeZoneFacts Win32LocalTime::ZoneFacts() const {
    TIME_ZONE_INFORMATION zone{};
    const DWORD state = GetTimeZoneInformation(&zone);
    TimeZoneFacts facts;
    if (state == TIME_ZONE_ID_INVALID) {
        return facts;
    }
    facts.biasMinutes = static_cast<std::int32_t>(zone.Bias);
    if (HasDaylightTime(zone)) {
        facts.daylightBiasMinutes = static_cast<std::int32_t>(zone.DaylightBias);
    }
    facts.daylightNow = state == TIME_ZONE_ID_DAYLIGHT;
    facts.standardName = NameFromWide(zone.StandardName, std::size(zone.StandardName));
    facts.daylightName = NameFromWide(zone.DaylightName, std::size(zone.DaylightName));
    return facts;
}

std::optional<std::int64_t> Win32LocalTime::FromLocal(const CivilTime& local) const {
    if (local.month == INT_MIN || local.day == INT_MIN) {
        return std::nullopt;
    }
    // Roll out-of-range fields over first (February 30 is March 2 or 1), as mktime does; the
    // zone is applied afterwards to a real calendar time.
    const auto normal = UtcFromSeconds(SecondsFromUtc(local));
    if (!normal) {
        return std::nullopt;
    }
    const auto localSt = SystemTimeFromCivil(*normal);
    if (!localSt) {
        return std::nullopt;
    }
    // A wall-clock time that standard time has is read as standard time, also when daylight
    // time has it too (the hour repeated in autumn), and so is one that neither has (the hour
    // skipped in spring): the Linux build reads both so. The rest is daylight time.
    const std::int64_t asStandard = SecondsFromUtc(*normal) + StandardOffsetWestSeconds();
    const auto standardBack = ToLocal(asStandard);
    if (standardBack && SameWallClock(*standardBack, *normal)) {
        return asStandard;
    }
    SYSTEMTIME utcSt{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &*localSt, &utcSt)) {
        return std::nullopt;
    }
    const std::int64_t converted = SecondsFromUtc(CivilFromSystemTime(utcSt));
    const auto back = ToLocal(converted);
    if (back && SameWallClock(*back, *normal)) {
        return converted;
    }
    return asStandard;
}

std::optional<CivilTime> Win32LocalTime::ToLocal(std::int64_t secondsSince1970) const {
    const auto utc = UtcFromSeconds(secondsSince1970);
    if (!utc) {
        return std::nullopt;
    }
    const auto utcSt = SystemTimeFromCivil(*utc);
    if (!utcSt) {
        return std::nullopt;
    }
    SYSTEMTIME localSt{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &*utcSt, &localSt)) {
        return std::nullopt;
    }
    CivilTime result = CivilFromSystemTime(localSt);
    // The offset actually applied tells which of the zone's two biases was in force.
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID && HasDaylightTime(zone) &&
        zone.DaylightBias != zone.StandardBias) {
        const std::int64_t westMinutes = (secondsSince1970 - SecondsFromUtc(result)) / 60;
        result.daylight = westMinutes == static_cast<std::int64_t>(zone.Bias) + zone.DaylightBias;
    }
    return result;
}

}  // namespace qx7
