#include "gui/support/PrinterSimulator.h"

#include <csignal>

#include "platform/posix/SpoolDirectory.h"
#include "support/TempDir.h"

namespace qx7::test {

PrinterSimulator::PrinterSimulator(const std::string& spoolDirectory, const std::string& name,
                                   const std::vector<std::string>& options)
    : name_(name) {
    const std::string stem = spoolDirectory + "/" + PrinterFileStem(name);
    // Beside the spool directory's entries, with suffixes the spooler does not read.
    journal_ = stem + ".journal";
    output_ = stem + ".out";
    std::vector<std::string> args{"--spool", spoolDirectory, "--name", name, "--journal", journal_};
    args.insert(args.end(), options.begin(), options.end());
    process_ = std::make_unique<ChildProcess>(QX7_PRINTER_SIM_PATH, args, output_);
    started_ = WaitForPath(stem + kSocketSuffix);
}

std::string PrinterSimulator::Journal() const {
    return ReadFile(journal_);
}

std::string PrinterSimulator::Output() const {
    return ReadFile(output_);
}

int PrinterSimulator::Stop() {
    return process_->Stop(SIGTERM);
}

}  // namespace qx7::test
