#pragma once
// Choosing entries of an indexed log to browse: by type as the text export does, by code, by
// time, and by words in their texts; and the row as the text export writes its line.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/export/LogExport.h"
#include "core/log/LogEntryIndex.h"

namespace qx7 {

// The types without a name (0, 6 and 7): the text export never writes them, the CSV export
// always does. Each has its own switch here, off as in the text export unless asked for.
inline constexpr int kUnnamedTypes[] = {0, 6, 7};

struct UnnamedTypeFilter {
    bool type0 = false;
    bool type6 = false;
    bool type7 = false;
};

struct EntryFilter {
    LogTypeFilter types;
    UnnamedTypeFilter unnamed;
    std::vector<std::uint32_t> codes;  // empty: every code
    // Printer seconds, both ends included.
    std::optional<std::uint32_t> from;
    std::optional<std::uint32_t> to;
};

// The type word the rows show ("ERR", "WRN", "INF"; "000", "006" and "007" for the types
// without a name, as in the exports' lines).
std::string EntryTypeWord(int type);

// Whether entries of the type pass the filter: types 1 to 5 by the text export's boxes, the
// types without a name by their own switches.
bool TypeSelected(int type, const EntryFilter& filter);

// Whether the indexed entry passes the filter's types, codes and times.
bool PassesFilter(const IndexedEntry& entry, const EntryFilter& filter);

// The index positions of the entries passing the filter, in log order.
std::vector<std::uint32_t> SelectEntries(const LogEntryIndex& index, const EntryFilter& filter);
// The same for the entries from `from` on (those a growing index took in since), added at
// the end of `selection`: a selection grown piece by piece is the one made at once.
void AppendSelected(const LogEntryIndex& index, std::size_t from, const EntryFilter& filter,
                    std::vector<std::uint32_t>& selection);

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

// The codes the index holds, each once, ascending: four bytes a code whatever the log holds,
// so a log of millions of different codes costs no more than its index.
std::vector<std::uint32_t> DistinctCodes(const LogEntryIndex& index);
// The same list for an index read a piece at a time: each piece's codes are taken in as it
// comes, the list made once at the end (merging the list for each piece would take time in
// the square of the pieces on a log of millions of codes).
class DistinctCodeCollector {
  public:
    // Room for as many codes as the log is thought to hold entries: a log of a code an entry
    // then never grows its list by doubling (address space only until codes are added).
    void Reserve(std::size_t entries) { codes_.reserve(entries); }
    void Add(const std::vector<IndexedEntry>& piece);
    // The codes of every piece added, each once, ascending; the collector is empty afterwards.
    std::vector<std::uint32_t> Take();

  private:
    static constexpr std::size_t kSlots = 1024;
    std::vector<std::uint32_t> codes_;  // the codes added, most of them once
    std::uint32_t slots_[kSlots] = {};
    bool slotUsed_[kSlots] = {};
};

// The place in `codes` (ascending) of the first code whose eight hexadecimal digits start with
// `prefix` (1 to 8 digits, either case); codes.size() when none does or the prefix is not one.
std::size_t FirstCodeWithPrefix(const std::vector<std::uint32_t>& codes, std::string_view prefix);

// Rows of a view chosen in spans, both ends included; spans may come in any order and overlap.
struct RowSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};
struct CopiedRows {
    std::vector<std::size_t> rows;  // ascending, each once, at most the `most` asked for
    std::size_t total = 0;          // rows the spans cover in all
};
// The rows a copy takes: the first `most` rows the spans cover. Memory and time follow `most`
// and the number of spans, never the rows covered (a whole 8-million-row view is one span).
CopiedRows ChooseCopiedRows(std::vector<RowSpan> spans, std::size_t most);

// The text a copy puts on the clipboard: the rows' lines (FormatRowLine), each ending in a line
// feed, an empty line for a row that cannot be read again, as long as the text stays within
// `mostBytes` (a row's parameters may take kilobytes: a hundred thousand such rows would be
// gigabytes). `rows` says how many rows' lines the text holds: the first ones asked for.
struct CopiedText {
    std::string text;
    std::size_t rows = 0;
};
CopiedText FormatCopiedRows(const std::vector<std::size_t>& rows,
                            const std::function<const LogEntryRow*(std::size_t row)>& rowAt,
                            std::size_t mostBytes);

// A moment typed or pasted by the user, read as the rows show it ("07/04/2015 12:00:00") or in
// ISO order ("2015-07-04 12:00:00", "T" allowed for the blank); the seconds or the whole time
// of day may be left out (a date alone is its first second). Blanks around it are ignored.
// nullopt for any other text and for a day or time the calendar does not have.
std::optional<CivilTime> ParseShownDateTime(std::string_view text);

// Printer seconds to look from for a local wall-clock time: 0 for a time before the printer's
// clock begins (2000 UTC), so that every entry is at or after it; nullopt past its end or when
// the system cannot place the time.
std::optional<std::uint32_t> PrinterTimeFromLocal(const CivilTime& local, const ILocalTime& clock);

// One JSON object (no line end) for scripts: the entry number, its time in UTC
// ("2015-03-18T13:20:00Z") and in the PC's local time ("2015-03-18T22:20:00"; null when it
// cannot be shown), the code ("00001060"), the type word, the description and the parameters.
// Bytes that are not UTF-8 become U+FFFD, so the line is always valid JSON.
std::string FormatRowJson(const LogEntryRow& row, std::uint32_t printerTime,
                          const LogTextContext& context);

// Printer seconds of a local wall-clock time (daylight time as the system decides); nullopt for
// a time the printer cannot hold (before 2000 UTC or past 32 bits).
std::optional<std::uint32_t> PrinterTimeOfLocal(const CivilTime& local, const ILocalTime& clock);

}  // namespace qx7
