#include "core/app/PageFlow.h"

#include <algorithm>
#include <array>

#include "core/app/QVJServToolApp.h"

namespace qx7 {
namespace {

// Title strings: one entry per distinct caption, in both languages.
constexpr int kTitleServiceTool = 5001;
constexpr int kTitleSelectPrinter = 5002;
constexpr int kTitleThermistor = 5003;
constexpr int kTitleResetSetting = 5004;
constexpr int kTitleCarriageSpeedStart = 5005;  // "Carriage Speed Adjustment " (trailing blank)
constexpr int kTitleCarriageSpeed = 5006;
constexpr int kTitleSetDate = 5007;
constexpr int kTitleBattery = 5008;
constexpr int kTitleTubePump = 5009;
constexpr int kTitleViewLog = 5010;
constexpr int kTitleCheckLog = 5011;
constexpr int kTitleCarriageMotor = 5012;
constexpr int kTitleFiring = 5013;
constexpr int kTitleMainBoard = 5014;
constexpr int kTitleAlignment = 5015;
constexpr int kTitleIpAddress = 5016;
constexpr int kTitleTubeWarning = 5017;
constexpr int kTitleCarriageOrigin = 5018;

// clang-format off: one row per line, as a table
constexpr std::array<WizardPageInfo, 26> kPages = {{
    {PageId::kPartsMenu, "CServChgParts", "PartsMenuPage", kTitleServiceTool, kWizardNext, 0,
     false},
    {PageId::kOperationMenu, "CServSelOpe", "OperationMenuPage", kTitleServiceTool, kWizardNext, 0,
     false},
    {PageId::kConnection, "CServFirst", "ConnectionPage", kTitleServiceTool, kWizardBackNext, 0,
     false},
    // Next joins Back once a printer is listed (PrinterListButtons).
    {PageId::kPrinterSelection, "CServPSel", "PrinterSelectionPage", kTitleSelectPrinter,
     kWizardBack, 0, false},
    {PageId::kThermistorPreparation, "CAdjThermis", "ThermistorPreparationPage", kTitleThermistor,
     kWizardBack, 1327, true},
    {PageId::kThermistorTemperature, "CAdjThermis2", "ThermistorTemperaturePage", kTitleThermistor,
     kWizardBackNext, 0, true},
    {PageId::kThermistorDone, "CAdjThermis3", "ThermistorDonePage", kTitleThermistor,
     kWizardBackNext, 0, false},
    {PageId::kSettingsReset, "CResetVoltage", "ProcedurePage", kTitleResetSetting, kWizardBackNext,
     0, false},
    {PageId::kCarriageSpeedStart, "CAdjCRSpeed1", "ProcedurePage", kTitleCarriageSpeedStart,
     kWizardBackNext, 0, true},
    {PageId::kCarriageSpeedWait, "CAdjCRSpeed2", "ProcedurePage", kTitleCarriageSpeed,
     kWizardBackNext, 0, false},
    {PageId::kPrinterDate, "CSetDate", "PrinterDatePage", kTitleSetDate, kWizardBackNext, 0, true},
    {PageId::kPrinterDateDone, "CSetDate2", "PrinterDateDonePage", kTitleSetDate, kWizardBackNext,
     0, true},
    {PageId::kBatteryExchange, "CBatteryChg1", "ProcedurePage", kTitleBattery, kWizardBackNext, 0,
     true},
    {PageId::kBatteryExchangeDone, "CBatteryChg2", "ProcedurePage", kTitleBattery, kWizardBackNext,
     0, true},
    {PageId::kPumpExchange, "CPumpChg1", "ProcedurePage", kTitleTubePump, kWizardBackNext, 0, true},
    {PageId::kPumpExchangeDone, "CPumpChg2", "ProcedurePage", kTitleTubePump, kWizardBackNext, 0,
     true},
    {PageId::kLogFileChoice, "CChkLog1", "LogFileChoicePage", kTitleViewLog, kWizardBackNext, 0,
     false},
    {PageId::kLogViewers, "CViewLogFile", "LogViewersPage", kTitleCheckLog, kWizardBackFinish, 0,
     false},
    {PageId::kCarriageMotor, "CCRMotorChg1", "ProcedurePage", kTitleCarriageMotor, kWizardBackNext,
     0, true},
    {PageId::kFiringAdjustment, "CFirePage", "MaintenanceToolPage", kTitleFiring, kWizardBack, 1298,
     false},
    {PageId::kMainBoardPreparation, "CInAdvanceMain", "ProcedurePage", kTitleMainBoard,
     kWizardBackNext, 0, false},
    {PageId::kColorAlignment, "CSetPosPage", "MaintenanceToolPage", kTitleAlignment, kWizardBack,
     1312, false},
    {PageId::kIpAddress, "CSetIpPage", "MaintenanceToolPage", kTitleIpAddress, kWizardBack, 1335,
     false},
    {PageId::kTubeWarningReset, "CResetTube", "ProcedurePage", kTitleTubeWarning, kButtonsUnchanged,
     0, false},
    {PageId::kTubeWarningResetDone, "CResetTube2", "ProcedurePage", kTitleTubeWarning,
     kButtonsUnchanged, 0, false},
    {PageId::kCarriageOrigin, "CCROrigin", "ProcedurePage", kTitleCarriageOrigin, kWizardBack, 1328,
     false},
}};
// clang-format on

bool IsSelected(const std::vector<int>& selected, int choice) {
    return std::find(selected.begin(), selected.end(), choice) != selected.end();
}

// The road of the operation code that the printer selection page opens.
std::optional<PageId> PageAfterPrinterSelection(int operation) {
    switch (operation) {
        case kOperationBattery:
        case kOperationSetClock:
            return PageId::kPrinterDate;
        case kOperationMainBoard:
        case kOperationCarriageBoard:
            return PageId::kCarriageOrigin;
        case kOperationCarriageBelt:
            return PageId::kCarriageSpeedStart;
        case kOperationCarriageMotor:
            return PageId::kCarriageMotor;
        case kOperationTubePump:
            return PageId::kPumpExchange;
        case kOperationResetTubeWarning:
            return PageId::kTubeWarningReset;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::span<const WizardPageInfo> WizardPages() {
    return kPages;
}

const WizardPageInfo* FindWizardPage(int templateId) {
    for (const WizardPageInfo& page : kPages) {
        if (PageNumber(page.templateId) == templateId) {
            return &page;
        }
    }
    return nullptr;
}

const WizardPageInfo* FindWizardPage(PageId page) {
    return FindWizardPage(PageNumber(page));
}

std::optional<PageId> PageFromNumber(int number) {
    const WizardPageInfo* page = FindWizardPage(number);
    return page != nullptr ? std::optional<PageId>(page->templateId) : std::nullopt;
}

int ConfirmBoxButtons(bool ticked) {
    return ticked ? kWizardBackNext : kWizardBack;
}

int PrinterListButtons(bool listed) {
    return listed ? kWizardBackNext : kWizardBack;
}

bool IsMenuPage(PageId page) {
    return page == PageId::kPartsMenu || page == PageId::kOperationMenu;
}

MenuDecision PartsMenuDecision(const std::vector<int>& selectedChoices) {
    struct Choice {
        int control;
        MenuDecision decision;
    };
    static constexpr Choice kChoices[] = {
        {1013, {kOperationTubePump, PageId::kConnection}},
        {1012, {kOperationCarriageMotor, PageId::kConnection}},
        {1010, {kOperationCarriageBelt, PageId::kConnection}},
        {1009, {kOperationBattery, PageId::kConnection}},
        {1008, {kOperationMainBoard, PageId::kMainBoardPreparation}},
        {1007, {kOperationCarriageBoard, PageId::kConnection}},
    };
    for (const Choice& choice : kChoices) {
        if (IsSelected(selectedChoices, choice.control)) {
            return choice.decision;
        }
    }
    return {kOperationHeads, PageId::kFiringAdjustment};
}

MenuDecision OperationMenuDecision(const std::vector<int>& selectedChoices) {
    if (IsSelected(selectedChoices, 1026)) {
        return {kOperationSetClock, PageId::kConnection};
    }
    if (IsSelected(selectedChoices, 1025)) {
        return {kOperationNone, PageId::kLogFileChoice};
    }
    if (IsSelected(selectedChoices, 1028)) {
        return {kOperationResetTubeWarning, PageId::kConnection};
    }
    return {kOperationPartsMenu, PageId::kPartsMenu};
}

std::optional<PageId> NextPageAfter(PageId page, int operation) {
    switch (page) {
        case PageId::kConnection:
            return PageId::kPrinterSelection;
        case PageId::kPrinterSelection:
            return PageAfterPrinterSelection(operation);
        case PageId::kMainBoardPreparation:
            return PageId::kConnection;
        case PageId::kCarriageOrigin:
            return operation == kOperationCarriageBoard ? PageId::kThermistorPreparation
                                                        : PageId::kPrinterDate;
        case PageId::kPrinterDate:
            return PageId::kPrinterDateDone;
        case PageId::kPrinterDateDone:
            if (operation == kOperationMainBoard) {
                return PageId::kSettingsReset;
            }
            return operation == kOperationSetClock ? PageId::kOperationMenu
                                                   : PageId::kBatteryExchange;
        case PageId::kBatteryExchange:
            return PageId::kBatteryExchangeDone;
        case PageId::kBatteryExchangeDone:
            if (operation == kOperationBattery) {
                return PageId::kPartsMenu;
            }
            return operation == kOperationMainBoard ? PageId::kCarriageSpeedStart
                                                    : PageId::kOperationMenu;
        case PageId::kSettingsReset:
        case PageId::kCarriageMotor:
            return PageId::kCarriageSpeedStart;
        case PageId::kCarriageSpeedStart:
            return PageId::kCarriageSpeedWait;
        case PageId::kCarriageSpeedWait:
            return operation == kOperationMainBoard ? PageId::kThermistorPreparation
                                                    : PageId::kPartsMenu;
        case PageId::kPumpExchange:
            return PageId::kPumpExchangeDone;
        case PageId::kPumpExchangeDone:
            if (operation == kOperationMainBoard) {
                return PageId::kCarriageSpeedStart;
            }
            return operation == kOperationTubePump ? PageId::kPartsMenu : PageId::kOperationMenu;
        case PageId::kThermistorPreparation:
            return PageId::kThermistorTemperature;
        case PageId::kThermistorTemperature:
            return operation == kOperationMainBoard ? PageId::kFiringAdjustment
                                                    : PageId::kThermistorDone;
        case PageId::kThermistorDone:
            return PageId::kOperationMenu;
        case PageId::kFiringAdjustment:
            return PageId::kColorAlignment;
        case PageId::kColorAlignment:
            return operation == kOperationMainBoard ? PageId::kIpAddress : PageId::kOperationMenu;
        case PageId::kIpAddress:
            return PageId::kOperationMenu;
        case PageId::kTubeWarningReset:
            return PageId::kTubeWarningResetDone;
        case PageId::kTubeWarningResetDone:
            return PageId::kOperationMenu;
        case PageId::kLogFileChoice:
            return PageId::kLogViewers;
        default:
            // The menus decide by choice; 225 ends the wizard with Finish.
            return std::nullopt;
    }
}

std::vector<ControlText> PageControlTexts(PageId page, int operation) {
    switch (page) {
        case PageId::kPartsMenu:
            return {{1272, 310}, {1009, 313}, {1012, 317}, {1013, 119}, {1007, 314},
                    {1008, 315}, {1004, 311}, {1010, 312}, {1057, 381}, {1094, 204}};
        case PageId::kOperationMenu:
            return {{1056, 126}, {1057, 381}, {1278, 324}, {1003, 209},
                    {1026, 226}, {1025, 210}, {1028, 390}, {1094, 204}};
        case PageId::kConnection:
            return {{1006, 127}, {1320, 387}};
        case PageId::kPrinterSelection:
            return {{1176, 203}, {1273, 318}, {1177, 319}};
        case PageId::kThermistorPreparation:
            return {{1007, 104}, {1327, operation == kOperationMainBoard ? 110 : 103}};
        case PageId::kThermistorTemperature:
            return {{1009, 105}, {1010, 353}, {1011, 354}, {1290, 352}};
        case PageId::kThermistorDone:
            return {{1042, 116}};
        case PageId::kSettingsReset:
            return {{1321, 388}, {1322, 385}};
        case PageId::kCarriageSpeedStart:
            return {{1043, 117}};
        case PageId::kCarriageSpeedWait:
            return {{1044, 118}};
        case PageId::kPrinterDate: {
            std::vector<ControlText> texts = {{1066, 131}};
            for (int i = 0; i <= 6; ++i) {
                texts.push_back({1279 + i, 325 + i});
            }
            texts.push_back({1073, 332});
            return texts;
        }
        case PageId::kPrinterDateDone:
            return {{1070, 133}};
        case PageId::kBatteryExchange:
            return {{1083, 143}};
        case PageId::kBatteryExchangeDone:
            return {{1084, 142}};
        case PageId::kPumpExchange:
            return {{1330, 120}};
        case PageId::kPumpExchangeDone:
            return {{1331, 121}};
        case PageId::kLogFileChoice:
            return {{1094, 148}, {1096, 308}, {65535, 309}};
        case PageId::kLogViewers:
            return {{1187, 205}, {1191, 333}, {1189, 334}, {1188, 335},
                    {1208, 336}, {1192, 337}, {65535, 338}};
        case PageId::kCarriageMotor:
            return {{1161, 195}};
        case PageId::kFiringAdjustment:
            return {{1299, 373}, {1295, 362}, {1296, 363}, {1297, 364}, {1298, 365}};
        case PageId::kMainBoardPreparation:
            return {{1304, 370}};
        case PageId::kColorAlignment:
            return {{1309, 375}, {1310, 376}, {1311, 378}, {1297, 364}, {1312, 380}};
        case PageId::kIpAddress:
            return {{1333, 123}, {1334, 128}, {1297, 364}, {1335, 129}};
        case PageId::kTubeWarningReset:
            return {{1324, 391}, {1323, 385}};
        case PageId::kTubeWarningResetDone:
            return {{1325, 392}, {1326, 385}};
        case PageId::kCarriageOrigin:
            return {{1329, 112}, {1328, 114}};
        default:
            return {};
    }
}

void EnterMenuPage(CQVJServToolApp& app, PageId page) {
    app.SetCurrentPage(PageNumber(page));
    app.ClearHistory();
    app.GoNext(PageNumber(page));
    app.SetOperation(kOperationNone);
}

int LeaveMenuPage(CQVJServToolApp& app, PageId page, const std::vector<int>& selectedChoices) {
    if (!IsMenuPage(page)) {
        return kStayOnPage;
    }
    const MenuDecision decision = page == PageId::kPartsMenu
                                      ? PartsMenuDecision(selectedChoices)
                                      : OperationMenuDecision(selectedChoices);
    app.SetOperation(decision.operation);
    return app.GoNext(PageNumber(decision.nextPage));
}

int GoToNextPage(CQVJServToolApp& app, PageId page) {
    return app.GoNext(PageNumber(NextPageAfter(page, app.GetOperation())));
}

}  // namespace qx7
