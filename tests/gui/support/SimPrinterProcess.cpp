#include "gui/support/SimPrinterProcess.h"

#include <vector>

#include "gui/support/GuiHarness.h"

namespace qx7::test {

SimPrinterProcess::SimPrinterProcess(const std::string& fault) {
    spoolPath_ = dir_.File("spool");
    process_ = std::make_unique<ChildProcess>(
        QX7_PRINTER_SIM_PATH,
        std::vector<std::string>{"--spool", spoolPath_, "--name", kSimPrinterName, "--fault", fault,
                                 "--journal", dir_.File("journal")},
        dir_.File("sim.log"));
    const std::string socket = spoolPath_ + "/" + PrinterFileStem(kSimPrinterName) + kSocketSuffix;
    started_ = process_->Running() && WaitForPath(socket);
    spooler_ = std::make_unique<SpoolDirectory>(spoolPath_);
}

SimPrinterProcess::~SimPrinterProcess() {
    process_.reset();  // stopped before its folder goes
}

void SimPrinterProcess::Attach(GuiHarness& harness) {
    harness.app.SetPrinterServices(spooler_.get(), &harness.sleeper, &harness.clock);
    harness.app.SetSelectedPrinter(kSimPrinterName);
}

std::string SimPrinterProcess::Journal() const {
    return ReadFile(dir_.File("journal"));
}

std::string SimPrinterProcess::Log() const {
    return ReadFile(dir_.File("sim.log"));
}

}  // namespace qx7::test
