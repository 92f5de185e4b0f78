#pragma once
// The information text of a log container: customer, comment, saving PC and its save time,
// printer save time in local time and UTC, firmware versions, product number, integrated code
// and MAC address, each line only when its block is there.

#include <cstddef>
#include <string>

#include "core/text/Messages.h"
#include "core/base/LocalTime.h"

namespace qx7 {

class CQXLogFile;

// A text block longer than this shows its first bytes (whole characters) and "...": no real
// customer, comment, PC or product text comes near it, and a hostile gigabyte stays out.
inline constexpr std::size_t kLongestTextShown = 65536;

// Lines end in CR LF. Empty for a bare log or a file that cannot be read as a container.
std::string BuildLogFileInformation(const std::string& path, const ILocalTime& clock);

// The same over a reader on which ReadHeaderText answered 1, with the header's 12 characters.
std::string BuildLogFileInformation(CQXLogFile& reader, const std::string& headerText,
                                    const ILocalTime& clock);

// "%m/%d/%Y %H:%M:%S" of a calendar time.
std::string FormatCalendar(const CivilTime& time);

}  // namespace qx7
