#pragma once
// A printer for page tests that want the real channel: qx7-printer-sim running in a spool
// directory of the test's own, and its journal of what reached it. Attached to a harness, the
// application object sends through that spool directory (the harness's sleeper and clock stay:
// the simulator answers before a job is acknowledged, so no poll has to wait).

#include <memory>
#include <string>

#include "gui/support/PrinterSimulator.h"
#include "platform/posix/SpoolDirectory.h"
#include "support/TempDir.h"

namespace qx7::test {

class GuiHarness;

inline constexpr char kSimPrinterName[] = "QX-7 Simulator";

class SimPrinterProcess {
  public:
    // fault: none, offline, silent, refuse or garble (the simulator's --fault).
    explicit SimPrinterProcess(const std::string& fault = "none");
    ~SimPrinterProcess();
    SimPrinterProcess(const SimPrinterProcess&) = delete;
    SimPrinterProcess& operator=(const SimPrinterProcess&) = delete;

    // The simulator's socket is there and answers.
    bool Started() const { return simulator_->Started(); }
    // The harness's application object sends to this printer, which is also the selected one.
    void Attach(GuiHarness& harness);

    // One line per job received ("clock 767847600", "thermistor 68" ...).
    std::string Journal() const;
    // What the simulator wrote on standard error.
    std::string Log() const;
    const std::string& SpoolPath() const { return spoolPath_; }

  private:
    TempDir dir_;
    std::string spoolPath_;
    std::unique_ptr<PrinterSimulator> simulator_;
    std::unique_ptr<SpoolDirectory> spooler_;
};

}  // namespace qx7::test
