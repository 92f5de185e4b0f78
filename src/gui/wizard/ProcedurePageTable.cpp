// The pages that differ from one another only in their texts and in what their Next does, one
// row each, served by ProcedurePage or MaintenanceToolPage. A page's confirmation box, title,
// buttons and road are in the core's page table; its printer step is in ServicePageNext.

#include <array>
#include <cstddef>
#include <span>

#include "gui/app/PageRegistry.h"
#include "gui/wizard/MaintenanceToolPage.h"
#include "gui/wizard/ProcedurePage.h"

namespace qx7::gui {
namespace {

enum class PageKind {
    kProcedure,        // instructions; Next runs the page's printer step, if any
    kMaintenanceTool,  // a task done with the maintenance tool; Next once the box is ticked
};

using Hourglass = ProcedurePage::Hourglass;

struct ProcedurePageRow {
    PageId page;
    PageKind kind;
    std::array<int, 3> texts;  // control numbers top to bottom; 0 ends the list early
    Hourglass hourglass;
};

constexpr PageKind kProcedure = PageKind::kProcedure;
constexpr PageKind kTool = PageKind::kMaintenanceTool;

constexpr ProcedurePageRow kRows[] = {
    // What must be done before the main board procedure can use this tool.
    {PageId::kMainBoardPreparation, kProcedure, {1304}, Hourglass::kNotShown},
    // Resets the statistics and then the IP address of a printer with a new main board.
    {PageId::kSettingsReset, kProcedure, {1321, 1322}, Hourglass::kShown},
    // Starts the carriage speed adjustment, which then runs in the printer for some minutes
    // unwatched; Next keeps the normal pointer.
    {PageId::kCarriageSpeedStart, kProcedure, {1043}, Hourglass::kNotShown},
    // Wait until the carriage stops.
    {PageId::kCarriageSpeedWait, kProcedure, {1044}, Hourglass::kNotShown},
    // Records the lithium battery exchange, then says it is recorded.
    {PageId::kBatteryExchange, kProcedure, {1083}, Hourglass::kShown},
    {PageId::kBatteryExchangeDone, kProcedure, {1084}, Hourglass::kNotShown},
    // Records the tube pump exchange, then says it is recorded.
    {PageId::kPumpExchange, kProcedure, {1330}, Hourglass::kShown},
    {PageId::kPumpExchangeDone, kProcedure, {1331}, Hourglass::kNotShown},
    // Records the carriage motor exchange.
    {PageId::kCarriageMotor, kProcedure, {1161}, Hourglass::kShown},
    // Resets the "Clean Tube W" warning, then says it is reset; both keep the buttons the
    // page before left.
    {PageId::kTubeWarningReset, kProcedure, {1324, 1323}, Hourglass::kShown},
    {PageId::kTubeWarningResetDone, kProcedure, {1325, 1326}, Hourglass::kNotShown},
    // The carriage origin is adjusted in the printer's own menu; the box confirms it.
    {PageId::kCarriageOrigin, kProcedure, {1329}, Hourglass::kNotShown},
    // Heading, the head and resolution combinations, what to do with the tool.
    {PageId::kFiringAdjustment, kTool, {1299, 1295, 1296}, Hourglass::kNotShown},
    // Heading, an empty line (1310 holds one blank), what to do with the tool.
    {PageId::kColorAlignment, kTool, {1309, 1310, 1311}, Hourglass::kNotShown},
    // Heading, what to do with the tool (and what to do without a network cable).
    {PageId::kIpAddress, kTool, {1333, 1334}, Hourglass::kNotShown},
};

std::span<const int> Texts(const ProcedurePageRow& row) {
    std::size_t count = 0;
    while (count < row.texts.size() && row.texts[count] != 0) {
        ++count;
    }
    return std::span<const int>(row.texts).first(count);
}

WizardPage* MakePage(const ProcedurePageRow& row, const PageContext& context) {
    if (row.kind == PageKind::kMaintenanceTool) {
        return new MaintenanceToolPage(context, row.page, Texts(row));
    }
    return new ProcedurePage(context, row.page, Texts(row), row.hourglass);
}

// One registration per row, under the name of the class that serves it.
[[maybe_unused]] const bool qx7RegisteredProcedurePages = [] {
    for (const ProcedurePageRow& row : kRows) {
        PageRegistry::Global().Add(
            row.page,
            row.kind == PageKind::kMaintenanceTool ? "MaintenanceToolPage" : "ProcedurePage",
            [&row](const PageContext& context) { return MakePage(row, context); });
    }
    return true;
}();

}  // namespace
}  // namespace qx7::gui
