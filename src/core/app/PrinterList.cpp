#include "core/app/PrinterList.h"

#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/comm/PrinterLink.h"

namespace qx7 {

PrinterListResult FillPrinterList(const CQVJServToolApp& app) {
    PrinterListResult result;
    if (app.IsDemoMode()) {
        result.names.emplace_back(kDemoPrinterName);
    } else {
        int listed = kLinkEnumerateFailed;
        if (app.GetSpooler() != nullptr && app.GetSleeper() != nullptr &&
            app.GetClock() != nullptr) {
            PrinterLink link(*app.GetSpooler(), *app.GetSleeper(), *app.GetClock());
            listed = link.EnumeratePrinters();
            if (listed == 0) {
                listed = link.ListQxPrinters(result.names);
            }
        }
        if (listed < 0) {
            result.names.clear();
            app.GetMessages().ShowMessage(kMsgPrinterNotFound, 0);
            return result;
        }
    }
    result.filled = true;
    result.selected = 0;
    return result;
}

int PrinterSelectionNext(CQVJServToolApp& app, const std::string& chosenName) {
    app.SetSelectedPrinter(chosenName);
    return GoToNextPage(app, PageId::kPrinterSelection);
}

}  // namespace qx7
