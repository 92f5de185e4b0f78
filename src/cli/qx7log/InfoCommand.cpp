// qx7log info LOG: the log file information, as the information dialog shows it.

#include <cstdio>
#include <filesystem>

#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/ListingOutput.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/text/Messages.h"
#include "core/log/LogFileInfo.h"
#include "core/log/QXLogFile.h"
#include "platform/SystemLocalTime.h"

namespace qx7::cli {
namespace {

struct InfoOptions {
    std::string log;
};

const LogCommandRegistration kInfo(30, [](CLI::App& root) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = root.add_subcommand("info", "Print the log file information");
    command->add_option("LOG", options->log, "Saved log file (.log, .zlg)")->required();
    return LogCommand{command, [options](const LogToolContext& context) {
                          if (IsFolderNotLog(options->log, context.programName)) {
                              return kExitFailure;
                          }
                          StderrMessageSink sink(context.programName);
                          const Messages messages(context.language, sink);
                          const SystemLocalTime clock;
                          CQXLogFile reader(clock);
                          std::string header;
                          const int opened = reader.ReadHeaderText(options->log, header);
                          if (opened < 0) {
                              const int error = reader.OpenError();
                              reader.Close();
                              ReportLogOpenFailure(context.programName, options->log, opened, error,
                                                   OpenFailureCause(opened, error));
                              return kExitFailure;
                          }
                          // A bare log has no information blocks: nothing to print, and
                          // nothing failed, but the user is told why the output is empty.
                          const std::string info =
                              opened == 1 ? BuildLogFileInformation(reader, header, clock)
                                          : std::string();
                          reader.Close();
                          if (info.empty()) {
                              std::fprintf(stderr, "%s: %s: holds no file information\n",
                                           context.programName.c_str(), options->log.c_str());
                          }
                          return PrintListing(info, context);
                      }};
});

}  // namespace
}  // namespace qx7::cli
