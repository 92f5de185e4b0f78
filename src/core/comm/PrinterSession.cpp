#include "core/comm/PrinterSession.h"

#include <functional>

#include "core/comm/PrinterLink.h"

namespace qx7 {
namespace {

using Builder = std::function<int(PrinterLink&)>;
using Checker = int (PrinterLink::*)() const;

int RunCommand(ISpooler* spooler, ISleeper* sleeper, const ILocalTime* clock,
               const std::string& printer, const Builder& build, Checker check) {
    if (spooler == nullptr || sleeper == nullptr || clock == nullptr) {
        return kLinkNotReady;
    }
    PrinterLink link(*spooler, *sleeper, *clock);
    if (const int result = link.Connect(printer); result != 0) {
        return result;
    }
    if (const int result = build(link); result != 0) {
        return result;
    }
    if (const int result = link.SendJob(); result != 0) {
        return result;
    }
    if (const int result = link.CollectReply(1); result != 0) {
        return result;
    }
    return (link.*check)();
}

}  // namespace

int PrinterSession::ListReadyPrinters(std::vector<std::string>& names) const {
    if (!HasServices()) {
        return kLinkEnumerateFailed;
    }
    PrinterLink link(*spooler_, *sleeper_, *clock_);
    if (const int result = link.EnumeratePrinters(); result != 0) {
        return result;
    }
    return link.ListQxPrinters(names);
}

bool PrinterSession::ResetStatistics() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordStatistics); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastResult_ == 0;
}

bool PrinterSession::ResetIpAddress() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildSetAddress(0, 0, 0); },
        &PrinterLink::CheckSetAddressReply);
    return lastResult_ == 0;
}

bool PrinterSession::ResetTubeCleanWarning() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordTubeWarning); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastResult_ == 0;
}

bool PrinterSession::RecordPumpExchange() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordPump); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastResult_ == 0;
}

bool PrinterSession::RecordCarriageMotorExchange() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordCarriageMotor); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastResult_ == 0;
}

bool PrinterSession::RecordBatteryExchange() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordBattery); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastResult_ == 0;
}

bool PrinterSession::StartCarriageSpeedAdjustment() {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildCarriageSpeedStart(); },
        &PrinterLink::CheckCarriageSpeedReply);
    return lastResult_ == 0;
}

bool PrinterSession::CalibrateThermistor(int temperature) {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [temperature](PrinterLink& l) { return l.BuildThermistorValue(temperature); },
        &PrinterLink::CheckThermistorReply);
    return lastResult_ == 0;
}

bool PrinterSession::SetPrinterClock(std::uint32_t printerTime) {
    lastResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [printerTime](PrinterLink& l) { return l.BuildSetClock(printerTime); },
        &PrinterLink::CheckSetClockReply);
    return lastResult_ == 0;
}

}  // namespace qx7
