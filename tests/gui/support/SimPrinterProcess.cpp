#include "gui/support/SimPrinterProcess.h"

#include <vector>

#include "gui/support/GuiHarness.h"

namespace qx7::test {

SimPrinterProcess::SimPrinterProcess(const std::string& fault)
    : spoolPath_(dir_.File("spool")),
      simulator_(std::make_unique<PrinterSimulator>(spoolPath_, kSimPrinterName,
                                                    std::vector<std::string>{"--fault", fault})),
      spooler_(std::make_unique<SpoolDirectory>(spoolPath_)) {}

SimPrinterProcess::~SimPrinterProcess() {
    simulator_.reset();  // stopped before its folder goes
}

void SimPrinterProcess::Attach(GuiHarness& harness) {
    harness.app.Printer().SetServices(spooler_.get(), &harness.sleeper, &harness.clock);
    harness.app.Printer().SetSelectedPrinter(kSimPrinterName);
}

std::string SimPrinterProcess::Journal() const {
    return simulator_->Journal();
}

std::string SimPrinterProcess::Log() const {
    return simulator_->Output();
}

}  // namespace qx7::test
