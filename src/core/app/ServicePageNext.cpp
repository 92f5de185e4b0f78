#include "core/app/ServicePageNext.h"

#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"

namespace qx7 {
namespace {

// Runs one printer step unless in demo mode; on failure shows 237 with the code and answers
// false.
bool Step(CQVJServToolApp& app, bool (PrinterSession::*operation)(), int code) {
    if (app.IsDemoMode() || (app.Printer().*operation)()) {
        return true;
    }
    app.GetMessages().ShowMessage(kMsgCommunicationError, code);
    return false;
}

// The carriage steps have no code of their own: a failure names the link's failing step, so
// that the user is not left pressing Next on a page that seems to do nothing.
bool StepWithLinkCode(CQVJServToolApp& app, bool (PrinterSession::*operation)()) {
    if (app.IsDemoMode() || (app.Printer().*operation)()) {
        return true;
    }
    app.GetMessages().ShowMessage(kMsgCommunicationError, app.Printer().GetLastResult());
    return false;
}

}  // namespace

int ServicePageNext(CQVJServToolApp& app, PageId page) {
    bool passed = true;
    switch (page) {
        case PageId::kPartsMenu:
        case PageId::kOperationMenu:
        case PageId::kPrinterSelection:
        case PageId::kThermistorTemperature:
        case PageId::kPrinterDate:
        case PageId::kLogFileChoice:
        case PageId::kLogViewers:
            return kStayOnPage;
        case PageId::kSettingsReset:
            passed = Step(app, &PrinterSession::ResetStatistics, kCodeResetStatisticsFailed) &&
                     Step(app, &PrinterSession::ResetIpAddress, kCodeResetIpAddressFailed);
            break;
        case PageId::kBatteryExchange:
            passed = Step(app, &PrinterSession::RecordBatteryExchange, 0);
            break;
        case PageId::kPumpExchange:
            passed = Step(app, &PrinterSession::RecordPumpExchange, 0);
            break;
        case PageId::kTubeWarningReset:
            passed =
                Step(app, &PrinterSession::ResetTubeCleanWarning, kCodeResetTubeWarningFailed);
            break;
        case PageId::kCarriageMotor:
            passed = StepWithLinkCode(app, &PrinterSession::RecordCarriageMotorExchange);
            break;
        case PageId::kCarriageSpeedStart:
            passed = StepWithLinkCode(app, &PrinterSession::StartCarriageSpeedAdjustment);
            break;
        default:
            break;
    }
    return passed ? GoToNextPage(app, page) : app.GoNext(kStayOnPage);
}

}  // namespace qx7
