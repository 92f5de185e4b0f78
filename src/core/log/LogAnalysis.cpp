#include "core/log/LogAnalysis.h"

#include <vector>

#include "core/log/QXLogFile.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kPartsExchange[] = {0x12500000, 0};
constexpr std::uint32_t kNozzleCleaning[] = {0x12510000, 0};
constexpr std::uint32_t kPrintStarted[] = {0x91000000, 0};
constexpr std::uint32_t kTemperature[] = {0x00001060, 0x00001061, 0x00006160, 0};
constexpr std::uint32_t kPowerOn[] = {0x00010000, 0};
constexpr std::uint32_t kWhiteTubeCleaning[] = {0x10600000, 0x10610000, 0x10620000, 0x10630000,
                                                0x10640000, 0x10700000, 0};
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

std::span<const LogAnalysisDefinition> LogAnalyses() {
    return kAnalyses;
}

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

namespace {

// Where a stretch of selected entries begins, and how many selected entries come before it.
struct Stretch {
    std::uint32_t position;
    long before;
};

// Collects whole lines and hands them over in pieces.
class PieceWriter {
  public:
    explicit PieceWriter(const ListingSink& sink) : sink_(sink) { piece_.reserve(kPieceBytes); }

    // False once the sink refused a piece.
    bool Add(std::string_view lines) {
        piece_ += lines;
        return piece_.size() < kPieceBytes || Flush();
    }
    bool Flush() {
        const bool ok = piece_.empty() || sink_(piece_);
        piece_.clear();
        return ok;
    }

  private:
    static constexpr std::size_t kPieceBytes = 1 << 16;
    const ListingSink& sink_;
    std::string piece_;
};

}  // namespace

ListingEnd StreamAnalysisListing(IPositionedLogEntrySource& source,
                                 const LogAnalysisDefinition& analysis, long maximum,
                                 const LogTextContext& context, const ListingSink& sink,
                                 std::uint32_t stretchWords) {
    // First pass: count, and note where each stretch starts.
    std::vector<Stretch> stretches;
    long selected = 0;
    CQXLogEntry entry;
    while (source.ReadEntry(entry) == 1) {
        if (!SelectsEntry(analysis, entry)) {
            continue;
        }
        const std::uint32_t position = source.EntryPosition();
        if (stretches.empty() || position - stretches.back().position >= stretchWords) {
            stretches.push_back({position, selected});
        }
        ++selected;
    }
    if (selected == 0) {
        return sink("No data found.\r\n") ? ListingEnd::kComplete : ListingEnd::kStopped;
    }

    // Second pass: stretch by stretch from the newest.
    PieceWriter writer(sink);
    std::vector<CQXLogEntry> kept;
    std::string line;
    std::string parameters;
    long listed = 0;
    for (std::size_t k = stretches.size(); k-- > 0;) {
        const long end = k + 1 < stretches.size() ? stretches[k + 1].before : selected;
        const auto wanted = static_cast<std::size_t>(end - stretches[k].before);
        kept.clear();
        if (!source.SeekEntry(stretches[k].position)) {
            writer.Flush();
            return ListingEnd::kReadFailed;
        }
        while (kept.size() < wanted) {
            if (source.ReadEntry(entry) != 1) {
                writer.Flush();
                return ListingEnd::kReadFailed;
            }
            if (SelectsEntry(analysis, entry)) {
                kept.push_back(std::move(entry));
                entry = CQXLogEntry();
            }
        }
        for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
            ++listed;
            it->FormatTextLine(line, static_cast<int>(listed), context);
            parameters.clear();
            it->GetParamText(parameters, context);
            if (!parameters.empty()) {
                line += " ";
                line += parameters;
            }
            line += "\r\n";
            if (!writer.Add(line)) {
                return ListingEnd::kStopped;
            }
            if (maximum != kNoLimit && listed > maximum) {
                return writer.Flush() ? ListingEnd::kComplete : ListingEnd::kStopped;
            }
        }
    }
    return writer.Flush() ? ListingEnd::kComplete : ListingEnd::kStopped;
}

namespace {

// The reader's entries while the run is still wanted; then the log seems to end there.
class WantedEntries final : public IPositionedLogEntrySource {
  public:
    WantedEntries(IPositionedLogEntrySource& source, const std::function<bool()>& keepReading)
        : source_(source), keepReading_(keepReading) {}

    int ReadEntry(CQXLogEntry& entry) override {
        return keepReading_() ? source_.ReadEntry(entry) : 0;
    }
    int GetEntryCount() const override { return source_.GetEntryCount(); }
    std::uint32_t EntryPosition() const override { return source_.EntryPosition(); }
    bool SeekEntry(std::uint32_t position) override { return source_.SeekEntry(position); }

  private:
    IPositionedLogEntrySource& source_;
    const std::function<bool()>& keepReading_;
};

}  // namespace

bool StreamLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis, long maximum,
                       MessageReport* report, const LogTextContext& context,
                       const ListingSink& sink, const std::function<bool()>& keepReading) {
    CQXLogFile reader(context.LocalTime());
    const int opened = reader.Open(path);
    const bool ready =
        (opened == 1 && reader.OpenLogData()) || (opened == 0 && reader.OpenRawLog(path));
    if (report != nullptr) {
        *report = reader.Report();
    }
    if (ready) {
        if (keepReading) {
            WantedEntries wanted(reader, keepReading);
            const ListingSink guarded = [&](std::string_view text) {
                return keepReading() && sink(text);
            };
            StreamAnalysisListing(wanted, analysis, maximum, context, guarded);
        } else {
            StreamAnalysisListing(reader, analysis, maximum, context, sink);
        }
    }
    reader.Close();
    return ready;
}

std::string RunLogAnalysis(const std::string& path, const LogAnalysisDefinition& analysis,
                           long maximum, const Messages& messages, const LogTextContext& context) {
    std::string listing;
    MessageReport report;
    StreamLogAnalysis(path, analysis, maximum, &report, context, [&](std::string_view text) {
        listing += text;
        return true;
    });
    report.Show(messages);
    return listing;
}

}  // namespace qx7
