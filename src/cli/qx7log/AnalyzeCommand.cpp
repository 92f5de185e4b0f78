// qx7log analyze LOG: the listing of one analysis, as the analysis dialog shows it.

#include <cstdio>

#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/ListingOutput.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/text/AsciiText.h"
#include "core/log/LogAnalysis.h"
#include "platform/SystemLocalTime.h"

namespace qx7::cli {
namespace {

struct AnalyzeOptions {
    std::string log;
    std::size_t analysis = 0;
    std::string maximum = "1000";
};

long MaximumFor(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kAnalysisMaximumNames); ++i) {
        if (AsciiLower(name) == AsciiLower(kAnalysisMaximumNames[i])) {
            return kAnalysisMaxima[i];
        }
    }
    return kAnalysisMaxima[0];
}

const LogCommandRegistration kAnalyze(40, [](CLI::App& root) {
    auto options = std::make_shared<AnalyzeOptions>();
    std::string names;
    for (std::size_t i = 0; i < kLogAnalysisCount; ++i) {
        names += "\n  " + std::to_string(i) + " " + LogAnalyses()[i].name;
    }
    CLI::App* command =
        root.add_subcommand("analyze", "Print the entries one analysis selects, newest first");
    command->add_option("LOG", options->log, "Saved log file (.log, .zlg or a bare log)")
        ->required();
    command->add_option("--analysis", options->analysis, "The analysis:" + names)
        ->check(CLI::Range(std::size_t{0}, kLogAnalysisCount - 1));
    command->add_option("--max", options->maximum, "Most lines listed: 1000, 5000, 10000 or all")
        ->check(CLI::IsMember({"1000", "5000", "10000", "all"}, CLI::ignore_case));
    return LogCommand{command, [options](const LogToolContext& context) {
                          const SystemLocalTime clock;
                          CQXLogFile reader(clock);
                          LogOpenFailure failure;
                          if (!OpenLogEntries(reader, options->log, context.language, failure)) {
                              reader.Close();
                              ReportLogOpenFailure(context.programName, options->log, failure);
                              return kExitFailure;
                          }
                          const long maximum = MaximumFor(options->maximum);
                          const LogTextContext textContext(context.language, clock);
                          ListingEnd end = ListingEnd::kComplete;
                          int code = StreamListing(context, [&](const ListingPieceWriter& write) {
                              end = StreamAnalysisListing(reader, LogAnalyses()[options->analysis],
                                                          maximum, textContext, write);
                          });
                          reader.Close();
                          if (end == ListingEnd::kReadFailed) {
                              std::fprintf(stderr, "%s: %s: cannot read the log again\n",
                                           context.programName.c_str(), options->log.c_str());
                              code = kExitFailure;
                          }
                          return code;
                      }};
});

}  // namespace
}  // namespace qx7::cli
