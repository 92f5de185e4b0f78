#pragma once
// Choosing entries of an indexed log to browse: by type as the text export does, by code, by
// time, and by words in their texts; and the row as the text export writes its line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/export/LogExport.h"
#include "core/log/LogEntryIndex.h"

namespace qx7 {

struct EntryFilter {
    LogTypeFilter types;
    std::vector<std::uint32_t> codes;  // empty: every code
    // Printer seconds, both ends included.
    std::optional<std::uint32_t> from;
    std::optional<std::uint32_t> to;
};

// Whether the indexed entry passes the filter's types (the text export's rule: types 0, 6
// and 7 never), codes and times.
bool PassesFilter(const IndexedEntry& entry, const EntryFilter& filter);

// The index positions of the entries passing the filter, in log order.
std::vector<std::uint32_t> SelectEntries(const LogEntryIndex& index, const EntryFilter& filter);

// The text export's line of the row, without its CR LF: the one-line text, then, when there
// are parameters, blanks up to column 127 and the parameters.
std::string FormatRowLine(const LogEntryRow& row);

// Whether the row's description, parameters or code (8 hexadecimal digits) hold the text,
// ignoring the case of ASCII letters. An empty text is in every row.
bool RowContains(const LogEntryRow& row, std::string_view text);

// The first place in `selection` (ascending entry numbers) whose entry's time is at or after
// `time`; selection.size() when none is.
std::size_t FirstAtOrAfter(const LogEntryIndex& index, const std::vector<std::uint32_t>& selection,
                           std::uint32_t time);

// Parses a code given as 8 hexadecimal digits (a leading "0x" allowed).
std::optional<std::uint32_t> ParseEntryCode(std::string_view text);

// One JSON object (no line end) for scripts: the entry number, its time in UTC
// ("2015-03-18T13:20:00Z") and in the PC's local time ("2015-03-18T22:20:00"; null when it
// cannot be shown), the code ("00001060"), the type word, the description and the parameters.
// Bytes that are not UTF-8 become U+FFFD, so the line is always valid JSON.
std::string FormatRowJson(const LogEntryRow& row, std::uint32_t printerTime,
                          const LogTextContext& context);

// Printer seconds of a local wall-clock time (daylight time as the system decides); nullopt for
// a time the printer cannot hold (before 2000 UTC or past 32 bits).
std::optional<std::uint32_t> PrinterTimeOfLocal(const CivilTime& local, const ILocalTime& clock);

// A time given on the command line: "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS"
// (a blank may stand for the T), local time unless it ends in "Z" (UTC). Printer seconds;
// nullopt for anything else or a time the printer cannot hold. A date alone means its first
// second, or its last with `endOfDay` (the end of a range).
std::optional<std::uint32_t> ParseEntryTime(std::string_view text, const ILocalTime& clock,
                                            bool endOfDay);

}  // namespace qx7
