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

int ServicePageNext(CQVJServToolApp& app, int templateId) {
    bool passed = true;
    switch (templateId) {
        case kPagePartsMenu:
        case kPageOperationMenu:
        case kPagePrinterSelection:
        case 136:
        case 160:
        case kPageLogFile:
        case kPageLogViewer:
            return kStayOnPage;
        case 279:
            passed = Step(app, &PrinterSession::ResetStatistics, kCodeResetStatisticsFailed) &&
                     Step(app, &PrinterSession::ResetIpAddress, kCodeResetIpAddressFailed);
            break;
        case 172:
            passed = Step(app, &PrinterSession::RecordBatteryExchange, 0);
            break;
        case 283:
            passed = Step(app, &PrinterSession::RecordPumpExchange, 0);
            break;
        case 281:
            passed = Step(app, &PrinterSession::ResetTubeCleanWarning, kCodeResetTubeWarningFailed);
            break;
        case 206:
            passed = StepWithLinkCode(app, &PrinterSession::RecordCarriageMotorExchange);
            break;
        case 148:
            passed = StepWithLinkCode(app, &PrinterSession::StartCarriageSpeedAdjustment);
            break;
        default:
            break;
    }
    return passed ? GoToNextPage(app, templateId) : app.GoNext(kStayOnPage);
}

}  // namespace qx7
