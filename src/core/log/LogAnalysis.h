#pragma once
// The eight analyses of a log: each selects entries by code or by type; the listing shows the
// selected entries newest first, one line each, up to a maximum (plus the one that exceeds it).

#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "core/app/Messages.h"
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

// Entries kept by one run: only the newest ones a listing with the maximum can show are held,
// so memory stays bounded by the maximum while the count covers every selected entry.
struct AnalysisSelection {
    std::deque<CQXLogEntry> newest;  // oldest first
    long selected = 0;
};

// Reads the source to its end (or its first read failure), keeping what the analysis selects.
AnalysisSelection LoadAnalysisEntries(ILogEntrySource& source,
                                      const LogAnalysisDefinition& analysis, long maximum);

// "No data found.\r\n" for none; otherwise the text lines, newest first, numbered from 1,
// each with its parameter rendering after a blank when there is one, CR LF ended; the listing
// stops once it holds more lines than the maximum.
std::string ListAnalysisEntries(const AnalysisSelection& selection, long maximum,
                                const LogTextContext& context);

// One whole run on a log file: open it as the reader's calling order says (a container's log
// data, or a bare log), load, list. Empty when the file cannot be read as a log at all.
std::string RunLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis,
                           long maximum, const Messages& messages, const LogTextContext& context);

}  // namespace qx7
