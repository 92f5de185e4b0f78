#include "core/log/LogAnalysis.h"

#include "core/log/QXLogFile.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kPartsExchange[] = {0x12500000, 0};
constexpr std::uint32_t kNozzleCleaning[] = {0x12510000, 0};
constexpr std::uint32_t kPrintStarted[] = {0x91000000, 0};
constexpr std::uint32_t kTemperature[] = {0x00001060, 0x00001061, 0x00006160, 0};
constexpr std::uint32_t kPowerOn[] = {0x00010000, 0};
constexpr std::uint32_t kWhiteTubeCleaning[] = {0x10600000, 0x10610000, 0x10620000,
                                                0x10630000, 0x10640000, 0x10700000, 0};
constexpr std::uint32_t kObstructionSensor[] = {0x00002070, 0};

constexpr int kErrorTypes = 8;

constexpr LogAnalysisDefinition kAnalyses[] = {
    {AnalysisKind::kByType, nullptr, kErrorTypes, "All Error log"},
    {AnalysisKind::kByCode, kPartsExchange, 0, "Parts exchanging operation"},
    {AnalysisKind::kByCode, kNozzleCleaning, 0, "Nozzle cleaning operation"},
    {AnalysisKind::kByCode, kPrintStarted, 0, "Print operation"},
    {AnalysisKind::kByCode, kTemperature, 0, "Temparature Warning and Error"},
    {AnalysisKind::kByCode, kPowerOn, 0, "Printer Power ON log"},
    {AnalysisKind::kByCode, kWhiteTubeCleaning, 0, "White Tube cleanning log"},
    {AnalysisKind::kByCode, kObstructionSensor, 0, "Obstruction Sensor log"},
    {AnalysisKind::kEnd, nullptr, 0, ""},
};

}  // namespace

std::span<const LogAnalysisDefinition> LogAnalyses() { return kAnalyses; }

bool SelectsEntry(const LogAnalysisDefinition& analysis, const CQXLogEntry& entry) {
    switch (analysis.kind) {
        case AnalysisKind::kByCode:
            for (const std::uint32_t* code = analysis.codes; code != nullptr && *code != 0;
                 ++code) {
                if (*code == entry.code) {
                    return true;
                }
            }
            return false;
        case AnalysisKind::kByType:
            return analysis.parameter == kErrorTypes && (entry.type == 1 || entry.type == 2);
        case AnalysisKind::kEnd:
            break;
    }
    return false;
}

AnalysisSelection LoadAnalysisEntries(ILogEntrySource& source,
                                      const LogAnalysisDefinition& analysis, long maximum) {
    AnalysisSelection selection;
    // A listing shows at most maximum + 1 lines, all of them among the newest entries.
    const auto keep = maximum == kNoLimit ? SIZE_MAX : static_cast<std::size_t>(maximum) + 1;
    CQXLogEntry entry;
    while (source.ReadEntry(entry) == 1) {
        if (!SelectsEntry(analysis, entry)) {
            continue;
        }
        ++selection.selected;
        if (selection.newest.size() == keep) {
            selection.newest.pop_front();
        }
        selection.newest.push_back(std::move(entry));
        entry = CQXLogEntry();
    }
    return selection;
}

std::string ListAnalysisEntries(const AnalysisSelection& selection, long maximum,
                                const LogTextContext& context) {
    if (selection.selected == 0) {
        return "No data found.\r\n";
    }
    std::string listing;
    std::string line;
    std::string parameters;
    long listed = 0;
    for (auto it = selection.newest.rbegin(); it != selection.newest.rend(); ++it) {
        ++listed;
        it->FormatTextLine(line, static_cast<int>(listed), context);
        listing += line;
        parameters.clear();
        it->GetParamText(parameters, context);
        if (!parameters.empty()) {
            listing += " ";
            listing += parameters;
        }
        listing += "\r\n";
        if (maximum != kNoLimit && listed > maximum) {
            break;
        }
    }
    return listing;
}

std::string RunLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis,
                           long maximum, const Messages& messages, const LogTextContext& context) {
    CQXLogFile reader(messages, context.LocalTime());
    const int opened = reader.Open(path);
    const bool ready = (opened == 1 && reader.OpenLogData()) ||
                       (opened == 0 && reader.OpenRawLog(path));
    std::string listing;
    if (ready) {
        listing = ListAnalysisEntries(LoadAnalysisEntries(reader, analysis, maximum), maximum,
                                      context);
    }
    reader.Close();
    return listing;
}

}  // namespace qx7
