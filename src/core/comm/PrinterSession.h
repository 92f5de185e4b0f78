#pragma once
// One program's way to its printer: the spooler, sleeper and clock to reach it with, the printer
// chosen, and the result of the last command. Each command goes to the chosen printer through a
// fresh link (connect, build, send, collect, check, stopping at the first step that fails) and
// answers whether the printer accepted it. A session shows nothing and knows nothing of demo
// mode: its callers decide whether to send and what to say.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx7 {

class ISpooler;
class ISleeper;
class ILocalTime;

class PrinterSession {
  public:
    // Without services every command fails with -20, sending nothing, and the listing with -18.
    PrinterSession() = default;
    PrinterSession(ISpooler& spooler, ISleeper& sleeper, const ILocalTime& clock)
        : spooler_(&spooler), sleeper_(&sleeper), clock_(&clock) {}

    void SetServices(ISpooler* spooler, ISleeper* sleeper, const ILocalTime* clock) {
        spooler_ = spooler;
        sleeper_ = sleeper;
        clock_ = clock;
    }
    bool HasServices() const {
        return spooler_ != nullptr && sleeper_ != nullptr && clock_ != nullptr;
    }

    void SetSelectedPrinter(std::string_view name) { selectedPrinter_ = name; }
    const std::string& GetSelectedPrinter() const { return selectedPrinter_; }

    // The ready QX-7 printers, each once, in the byte order of their names: what the printer
    // selection page offers and what `qx7ctl list` prints. The spooler's printers pass the
    // family filter (FilterPrinterRecord), then are asked together whether they are ready by one
    // deadline (kListingReadinessMs). 0, -18 when the spooler cannot list its printers (or there
    // are no services), -19 when none qualifies. The last result is left as it was.
    int ListReadyPrinters(std::vector<std::string>& names) const;

    bool ResetStatistics();
    bool ResetIpAddress();
    bool ResetTubeCleanWarning();
    bool RecordPumpExchange();
    bool RecordCarriageMotorExchange();
    bool RecordBatteryExchange();
    bool StartCarriageSpeedAdjustment();
    bool CalibrateThermistor(int temperature);
    bool SetPrinterClock(std::uint32_t printerTime);

    // The result code of the step that ended the last command (0 after a success).
    int GetLastResult() const { return lastResult_; }

  private:
    ISpooler* spooler_ = nullptr;
    ISleeper* sleeper_ = nullptr;
    const ILocalTime* clock_ = nullptr;
    std::string selectedPrinter_;
    int lastResult_ = 0;
};

}  // namespace qx7
