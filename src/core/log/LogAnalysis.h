#pragma once
// The eight analyses of a log: each selects entries by code or by type; the listing shows the
// selected entries newest first, one line each, up to a maximum (plus the one that exceeds it).

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/text/Messages.h"
#include "core/log/MessageReport.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogEntry.h"

namespace qx7 {

enum class AnalysisKind { kEnd = 0, kByCode = 1, kByType = 2 };

struct LogAnalysisDefinition {
    AnalysisKind kind;
    const std::uint32_t* codes;  // kByCode: the codes, ending with 0
    int parameter;               // kByType: 8 stands for the error types 1 and 2
    const char* name;            // shown as stored, in both languages
};

// The analyses in the order the analysis box lists them, followed by the end row.
std::span<const LogAnalysisDefinition> LogAnalyses();
inline constexpr std::size_t kLogAnalysisCount = 8;

// The maximum choices: 1000, 5000, 10000 and no limit.
inline constexpr long kNoLimit = -1;
inline constexpr long kAnalysisMaxima[] = {1000, 5000, 10000, kNoLimit};
inline constexpr const char* kAnalysisMaximumNames[] = {"1000", "5000", "10000", "All"};

bool SelectsEntry(const LogAnalysisDefinition& analysis, const CQXLogEntry& entry);

// Receives a listing piece by piece: whole lines ended by CR LF, in listing order, a piece
// of a few dozen KiB at most. Answering false stops the listing (an output that fails, a view
// that closes).
using ListingSink = std::function<bool(std::string_view text)>;

enum class ListingEnd {
    kComplete,    // every line the maximum allows was handed over
    kStopped,     // the sink answered false
    kReadFailed,  // the source could not be read again where it was read before
};

// Selected entries a stretch of the listing covers: the words from its first entry on. One
// stretch at a time is held in memory, so this bounds what a listing needs.
inline constexpr std::uint32_t kListingStretchWords = 1U << 16;

// The listing of what the analysis selects, from the source's present position to its end (or
// its first read failure): "No data found.\r\n" for none; otherwise the text lines, newest
// first, numbered from 1, each with its parameter rendering after a blank when there is one,
// CR LF ended; the listing stops once it holds more lines than the maximum.
// The source is read twice: once to count the selected entries and note the position where
// each stretch of them begins, then stretch by stretch from the newest back, each read again
// and its lines handed over newest first. Memory therefore does not grow with the log.
ListingEnd StreamAnalysisListing(IPositionedLogEntrySource& source,
                                 const LogAnalysisDefinition& analysis, long maximum,
                                 const LogTextContext& context, const ListingSink& sink,
                                 std::uint32_t stretchWords = kListingStretchWords);

// One whole run on a log file: open it as the reader's calling order says (a container's log
// data, or a bare log), then list. False, with nothing handed over, when the file cannot be
// read as a log at all.
// For a run someone may no longer want (a view that starts another or closes), `keepReading`
// is asked before every entry read and every piece handed over; once it answers false the log
// is read no further, also while the selected entries are being counted, and nothing more
// reaches the sink. It may be asked from the thread the listing runs on.
// The reader's messages (its internal errors) go to `report`, for the caller to show; nullptr
// when they are not wanted. Nothing is shown here.
bool StreamLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis, long maximum,
                       MessageReport* report, const LogTextContext& context,
                       const ListingSink& sink, const std::function<bool()>& keepReading = {});

// The same as one text, the reader's messages shown through `messages`; empty when the file
// cannot be read as a log at all.
std::string RunLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis,
                           long maximum, const Messages& messages, const LogTextContext& context);

}  // namespace qx7
