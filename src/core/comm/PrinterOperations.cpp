// The nine printer operations of the application object: connect, build, send, collect, check,
// each stopping at the first step that fails. The link lives for one operation.

#include <functional>

#include "core/app/QVJServToolApp.h"
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

bool CQVJServToolApp::ResetStatistics() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordStatistics); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::ResetIpAddress() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildSetAddress(0, 0, 0); },
        &PrinterLink::CheckSetAddressReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::ResetTubeCleanWarning() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordTubeWarning); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::RecordPumpExchange() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordPump); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::RecordCarriageMotorExchange() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordCarriageMotor); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::RecordBatteryExchange() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordBattery); },
        &PrinterLink::CheckInitializeRecordReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::StartCarriageSpeedAdjustment() {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [](PrinterLink& l) { return l.BuildCarriageSpeedStart(); },
        &PrinterLink::CheckCarriageSpeedReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::CalibrateThermistor(int temperature) {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [temperature](PrinterLink& l) { return l.BuildThermistorValue(temperature); },
        &PrinterLink::CheckThermistorReply);
    return lastPrinterResult_ == 0;
}

bool CQVJServToolApp::SetPrinterClock(std::uint32_t printerTime) {
    lastPrinterResult_ = RunCommand(
        spooler_, sleeper_, clock_, selectedPrinter_,
        [printerTime](PrinterLink& l) { return l.BuildSetClock(printerTime); },
        &PrinterLink::CheckSetClockReply);
    return lastPrinterResult_ == 0;
}

}  // namespace qx7
