#include "core/app/PrinterList.h"

#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"

namespace qx7 {

PrinterListResult FillPrinterList(const CQVJServToolApp& app) {
    PrinterListResult result;
    if (app.IsDemoMode()) {
        result.names.emplace_back(kDemoPrinterName);
    } else if (app.Printer().ListReadyPrinters(result.names) < 0) {
        result.names.clear();
        app.GetMessages().ShowMessage(kMsgPrinterNotFound, 0);
        return result;
    }
    result.filled = true;
    result.selected = 0;
    return result;
}

int PrinterSelectionNext(CQVJServToolApp& app, const std::string& chosenName) {
    app.Printer().SetSelectedPrinter(chosenName);
    return GoToNextPage(app, PageId::kPrinterSelection);
}

}  // namespace qx7
