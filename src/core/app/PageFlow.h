#pragma once
// The wizard's page-flow rules without a window: the 26 pages in sheet order with their titles,
// buttons on arrival, confirmation boxes and Cancel behaviour; the menu choices; the page that
// follows each page's successful Next for an operation code; and the texts each page sets on its
// controls. The window's pages ask these functions and do what they answer, so a core test can
// walk every road.

#include <optional>
#include <span>
#include <vector>

namespace qx7 {

class CQVJServToolApp;

// Wizard button flags, as a page asks the sheet to enable them.
inline constexpr int kWizardBack = 1;
inline constexpr int kWizardNext = 2;
inline constexpr int kWizardFinish = 4;
inline constexpr int kWizardBackNext = kWizardBack | kWizardNext;
inline constexpr int kWizardBackFinish = kWizardBack | kWizardFinish;
// A page that leaves the buttons as the previous page set them.
inline constexpr int kButtonsUnchanged = -1;

// What a Next or Back handler answers to keep the page on screen.
inline constexpr int kStayOnPage = -1;

// Operation codes held by the application object.
inline constexpr int kOperationNone = 0;
inline constexpr int kOperationPartsMenu = 3;
inline constexpr int kOperationBattery = 4;
inline constexpr int kOperationMainBoard = 5;
inline constexpr int kOperationCarriageBelt = 7;
inline constexpr int kOperationCarriageBoard = 8;
inline constexpr int kOperationHeads = 9;
inline constexpr int kOperationCarriageMotor = 10;
inline constexpr int kOperationTubePump = 11;
inline constexpr int kOperationSetClock = 12;
inline constexpr int kOperationResetTubeWarning = 14;

// The pages of the sheet by role; the value is the page's dialog template number, which the
// history, the sheet and the product's documents use.
enum class PageId : int {
    kPartsMenu = 133,
    kOperationMenu = 156,
    kConnection = 130,
    kPrinterSelection = 217,
    kThermistorPreparation = 135,
    kThermistorTemperature = 136,
    kThermistorDone = 147,
    kSettingsReset = 279,
    kCarriageSpeedStart = 148,
    kCarriageSpeedWait = 149,
    kPrinterDate = 160,
    kPrinterDateDone = 163,
    kBatteryExchange = 172,
    kBatteryExchangeDone = 173,
    kPumpExchange = 283,
    kPumpExchangeDone = 284,
    kLogFileChoice = 178,
    kLogViewers = 225,
    kCarriageMotor = 206,
    kFiringAdjustment = 257,
    kMainBoardPreparation = 263,
    kColorAlignment = 265,
    kIpAddress = 286,
    kTubeWarningReset = 281,
    kTubeWarningResetDone = 282,
    kCarriageOrigin = 157,
};

// The history and the sheet keep pages as template numbers, with kStayOnPage for "no page":
// these two are where a page becomes such a number and back.
constexpr int PageNumber(std::optional<PageId> page) {
    return page ? static_cast<int>(*page) : kStayOnPage;
}
// nullopt for a number that is no page of the sheet (kStayOnPage among them).
std::optional<PageId> PageFromNumber(int number);

struct WizardPageInfo {
    PageId templateId;
    const char* className;    // the page's name in the product's documents: "CServChgParts"
    const char* windowClass;  // the window's class that serves it: "PartsMenuPage"; the rows
                              // of the window's procedure page table name "ProcedurePage" or
                              // "MaintenanceToolPage"
    int titleString;        // string-table number of the page title, in both languages
    int buttonsOnShow;      // wizard button flags on arrival, or kButtonsUnchanged; a page
                            // with a confirmation box or a printer list starts with Back only
    int confirmBox;         // control number of the confirmation check box, 0 when none
    bool cancelAsks;        // Cancel asks message 113 before the sheet closes
};

// The 26 pages in sheet order (index = position in the sheet).
std::span<const WizardPageInfo> WizardPages();
// The page's row; nullptr for a value cast from a number that is no page of the sheet.
const WizardPageInfo* FindWizardPage(PageId page);
// The row of a template number as the sheet or the history holds it; nullptr for a number
// that is no page of the sheet.
const WizardPageInfo* FindWizardPage(int templateId);

// The buttons a confirmation-box page enables for the box's state (Back, or Back and Next).
int ConfirmBoxButtons(bool ticked);
// The buttons of the printer selection page: Back and Next once a printer is listed.
int PrinterListButtons(bool listed);

// 133 and 156: on arrival they start a new history and reset the operation code.
bool IsMenuPage(PageId page);

struct MenuDecision {
    int operation;  // the operation code to store
    PageId nextPage;
};

// Page 133: the choices are tested 1013, 1012, 1010, 1009, 1008, 1007 in this order; the
// first of them that is selected decides, and 1004 (heads) when none is.
MenuDecision PartsMenuDecision(const std::vector<int>& selectedChoices);
// Page 156: 1026, then 1025 (operation stays 0), then 1028; otherwise the parts menu (code 3).
MenuDecision OperationMenuDecision(const std::vector<int>& selectedChoices);

// The page that follows a successful Next (every check and printer operation of the page
// passed, or demo mode) on any page other than the two menus, for the operation code; for 217
// with a code that has no road, and for 225 (Finish ends the wizard), none.
std::optional<PageId> NextPageAfter(PageId page, int operation);

// One control text a page sets on arrival: control number and string number.
struct ControlText {
    int control;
    int stringNumber;
};
// The texts a page sets on arrival, in the order it sets them; some depend on the operation
// code (the confirmation box of 135). Texts that are not string-table entries (version lines,
// the printer list, file names) are not listed.
std::vector<ControlText> PageControlTexts(PageId page, int operation);

// Arrival at a menu page (forwards or backwards): the page becomes the current page and the
// only history entry, and the operation code returns to 0.
void EnterMenuPage(CQVJServToolApp& app, PageId page);
// Next on a menu page: stores the decision's operation code and answers GoNext(next page).
// kStayOnPage for a page that is no menu.
int LeaveMenuPage(CQVJServToolApp& app, PageId page, const std::vector<int>& selectedChoices);
// Next on any other page once its own checks and printer step passed (or demo mode):
// GoNext(NextPageAfter(page, the app's operation code)).
int GoToNextPage(CQVJServToolApp& app, PageId page);

}  // namespace qx7
