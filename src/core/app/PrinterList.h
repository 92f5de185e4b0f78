#pragma once
// Filling the printer list of the printer selection page (217), on every showing and every
// "Search Printer".

#include <string>
#include <vector>

namespace qx7 {

class CQVJServToolApp;

// The single entry of the list in demo mode; it becomes the selected printer name.
inline constexpr char kDemoPrinterName[] = "Demonstration mode";

struct PrinterListResult {
    bool filled = false;             // a printer is listed: Back and Next, else Back only
    std::vector<std::string> names;  // in list order
    int selected = -1;               // 0 when filled
};

// Demo mode: only "Demonstration mode", no printer contacted. Otherwise the ready QX-7 printers
// of the app's printer session (its ListReadyPrinters, the listing `qx7ctl list` prints, which
// asks the printers together by one deadline, so that silent ones cannot hold the page up);
// when the spooler cannot list printers or none qualifies (-18, -19, also without printer
// services) message 244 without a code, and an empty list. Names are in the byte order of their
// UTF-8 text (case-sensitive: "Zeta" before "alpha"), the order the list keeps whatever the
// spooler's order; the first entry is selected.
PrinterListResult FillPrinterList(const CQVJServToolApp& app);

// Next of page 217: the chosen entry becomes the selected printer, then the road of the
// operation code goes on (-1 for a code without one).
int PrinterSelectionNext(CQVJServToolApp& app, const std::string& chosenName);

}  // namespace qx7
