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

constexpr std::array<WizardPageInfo, 26> kPages = {{
    {133, "CServChgParts", "PartsMenuPage", kTitleServiceTool, kWizardNext, 0, false},
    {156, "CServSelOpe", "OperationMenuPage", kTitleServiceTool, kWizardNext, 0, false},
    {130, "CServFirst", "ConnectionPage", kTitleServiceTool, kWizardBackNext, 0, false},
    // Next joins Back once a printer is listed (PrinterListButtons).
    {217, "CServPSel", "PrinterSelectionPage", kTitleSelectPrinter, kWizardBack, 0, false},
    {135, "CAdjThermis", "ThermistorPreparationPage", kTitleThermistor, kWizardBack, 1327, true},
    {136, "CAdjThermis2", "ThermistorTemperaturePage", kTitleThermistor, kWizardBackNext, 0, true},
    {147, "CAdjThermis3", "ThermistorDonePage", kTitleThermistor, kWizardBackNext, 0, false},
    {279, "CResetVoltage", "SettingsResetPage", kTitleResetSetting, kWizardBackNext, 0, false},
    {148, "CAdjCRSpeed1", "CarriageSpeedStartPage", kTitleCarriageSpeedStart, kWizardBackNext, 0, true},
    {149, "CAdjCRSpeed2", "CarriageSpeedWaitPage", kTitleCarriageSpeed, kWizardBackNext, 0, false},
    {160, "CSetDate", "PrinterDatePage", kTitleSetDate, kWizardBackNext, 0, true},
    {163, "CSetDate2", "PrinterDateDonePage", kTitleSetDate, kWizardBackNext, 0, true},
    {172, "CBatteryChg1", "BatteryExchangePage", kTitleBattery, kWizardBackNext, 0, true},
    {173, "CBatteryChg2", "BatteryExchangeDonePage", kTitleBattery, kWizardBackNext, 0, true},
    {283, "CPumpChg1", "PumpExchangePage", kTitleTubePump, kWizardBackNext, 0, true},
    {284, "CPumpChg2", "PumpExchangeDonePage", kTitleTubePump, kWizardBackNext, 0, true},
    {178, "CChkLog1", "LogFileChoicePage", kTitleViewLog, kWizardBackNext, 0, false},
    {225, "CViewLogFile", "LogViewersPage", kTitleCheckLog, kWizardBackFinish, 0, false},
    {206, "CCRMotorChg1", "CarriageMotorPage", kTitleCarriageMotor, kWizardBackNext, 0, true},
    {257, "CFirePage", "FiringAdjustmentPage", kTitleFiring, kWizardBack, 1298, false},
    {263, "CInAdvanceMain", "MainBoardPreparationPage", kTitleMainBoard, kWizardBackNext, 0, false},
    {265, "CSetPosPage", "ColorAlignmentPage", kTitleAlignment, kWizardBack, 1312, false},
    {286, "CSetIpPage", "IpAddressPage", kTitleIpAddress, kWizardBack, 1335, false},
    {281, "CResetTube", "TubeWarningResetPage", kTitleTubeWarning, kButtonsUnchanged, 0, false},
    {282, "CResetTube2", "TubeWarningResetDonePage", kTitleTubeWarning, kButtonsUnchanged, 0, false},
    {157, "CCROrigin", "CarriageOriginPage", kTitleCarriageOrigin, kWizardBack, 1328, false},
}};

bool IsSelected(const std::vector<int>& selected, int choice) {
    return std::find(selected.begin(), selected.end(), choice) != selected.end();
}

// The road of the operation code that the printer selection page opens.
int PageAfterPrinterSelection(int operation) {
    switch (operation) {
        case kOperationBattery:
        case kOperationSetClock:
            return 160;
        case kOperationMainBoard:
        case kOperationCarriageBoard:
            return 157;
        case kOperationCarriageBelt:
            return 148;
        case kOperationCarriageMotor:
            return 206;
        case kOperationTubePump:
            return 283;
        case kOperationResetTubeWarning:
            return 281;
        default:
            return kStayOnPage;
    }
}

}  // namespace

std::span<const WizardPageInfo> WizardPages() {
    return kPages;
}

const WizardPageInfo* FindWizardPage(int templateId) {
    for (const WizardPageInfo& page : kPages) {
        if (page.templateId == templateId) {
            return &page;
        }
    }
    return nullptr;
}

int ConfirmBoxButtons(bool ticked) {
    return ticked ? kWizardBackNext : kWizardBack;
}

int PrinterListButtons(bool listed) {
    return listed ? kWizardBackNext : kWizardBack;
}

bool IsMenuPage(int templateId) {
    return templateId == kPagePartsMenu || templateId == kPageOperationMenu;
}

MenuDecision PartsMenuDecision(const std::vector<int>& selectedChoices) {
    struct Choice {
        int control;
        MenuDecision decision;
    };
    static constexpr Choice kChoices[] = {
        {1013, {kOperationTubePump, kPageConnect}},
        {1012, {kOperationCarriageMotor, kPageConnect}},
        {1010, {kOperationCarriageBelt, kPageConnect}},
        {1009, {kOperationBattery, kPageConnect}},
        {1008, {kOperationMainBoard, 263}},
        {1007, {kOperationCarriageBoard, kPageConnect}},
    };
    for (const Choice& choice : kChoices) {
        if (IsSelected(selectedChoices, choice.control)) {
            return choice.decision;
        }
    }
    return {kOperationHeads, 257};
}

MenuDecision OperationMenuDecision(const std::vector<int>& selectedChoices) {
    if (IsSelected(selectedChoices, 1026)) {
        return {kOperationSetClock, kPageConnect};
    }
    if (IsSelected(selectedChoices, 1025)) {
        return {kOperationNone, kPageLogFile};
    }
    if (IsSelected(selectedChoices, 1028)) {
        return {kOperationResetTubeWarning, kPageConnect};
    }
    return {kOperationPartsMenu, kPagePartsMenu};
}

int NextPageAfter(int templateId, int operation) {
    switch (templateId) {
        case kPageConnect:
            return kPagePrinterSelection;
        case kPagePrinterSelection:
            return PageAfterPrinterSelection(operation);
        case 263:
            return kPageConnect;
        case 157:
            return operation == kOperationCarriageBoard ? 135 : 160;
        case 160:
            return 163;
        case 163:
            if (operation == kOperationMainBoard) {
                return 279;
            }
            return operation == kOperationSetClock ? kPageOperationMenu : 172;
        case 172:
            return 173;
        case 173:
            if (operation == kOperationBattery) {
                return kPagePartsMenu;
            }
            return operation == kOperationMainBoard ? 148 : kPageOperationMenu;
        case 279:
        case 206:
            return 148;
        case 148:
            return 149;
        case 149:
            return operation == kOperationMainBoard ? 135 : kPagePartsMenu;
        case 283:
            return 284;
        case 284:
            if (operation == kOperationMainBoard) {
                return 148;
            }
            return operation == kOperationTubePump ? kPagePartsMenu : kPageOperationMenu;
        case 135:
            return 136;
        case 136:
            return operation == kOperationMainBoard ? 257 : 147;
        case 147:
            return kPageOperationMenu;
        case 257:
            return 265;
        case 265:
            return operation == kOperationMainBoard ? 286 : kPageOperationMenu;
        case 286:
            return kPageOperationMenu;
        case 281:
            return 282;
        case 282:
            return kPageOperationMenu;
        case kPageLogFile:
            return kPageLogViewer;
        default:
            // The menus decide by choice; 225 ends the wizard with Finish.
            return kStayOnPage;
    }
}

std::vector<ControlText> PageControlTexts(int templateId, int operation) {
    switch (templateId) {
        case kPagePartsMenu:
            return {{1272, 310}, {1009, 313}, {1012, 317}, {1013, 119}, {1007, 314},
                    {1008, 315}, {1004, 311}, {1010, 312}, {1057, 381}, {1094, 204}};
        case kPageOperationMenu:
            return {{1056, 126}, {1057, 381}, {1278, 324}, {1003, 209},
                    {1026, 226}, {1025, 210}, {1028, 390}, {1094, 204}};
        case kPageConnect:
            return {{1006, 127}, {1320, 387}};
        case kPagePrinterSelection:
            return {{1176, 203}, {1273, 318}, {1177, 319}};
        case 135:
            return {{1007, 104}, {1327, operation == kOperationMainBoard ? 110 : 103}};
        case 136:
            return {{1009, 105}, {1010, 353}, {1011, 354}, {1290, 352}};
        case 147:
            return {{1042, 116}};
        case 279:
            return {{1321, 388}, {1322, 385}};
        case 148:
            return {{1043, 117}};
        case 149:
            return {{1044, 118}};
        case 160: {
            std::vector<ControlText> texts = {{1066, 131}};
            for (int i = 0; i <= 6; ++i) {
                texts.push_back({1279 + i, 325 + i});
            }
            texts.push_back({1073, 332});
            return texts;
        }
        case 163:
            return {{1070, 133}};
        case 172:
            return {{1083, 143}};
        case 173:
            return {{1084, 142}};
        case 283:
            return {{1330, 120}};
        case 284:
            return {{1331, 121}};
        case kPageLogFile:
            return {{1094, 148}, {1096, 308}, {65535, 309}};
        case kPageLogViewer:
            return {{1187, 205}, {1191, 333}, {1189, 334}, {1188, 335},
                    {1208, 336}, {1192, 337}, {65535, 338}};
        case 206:
            return {{1161, 195}};
        case 257:
            return {{1299, 373}, {1295, 362}, {1296, 363}, {1297, 364}, {1298, 365}};
        case 263:
            return {{1304, 370}};
        case 265:
            return {{1309, 375}, {1310, 376}, {1311, 378}, {1297, 364}, {1312, 380}};
        case 286:
            return {{1333, 123}, {1334, 128}, {1297, 364}, {1335, 129}};
        case 281:
            return {{1324, 391}, {1323, 385}};
        case 282:
            return {{1325, 392}, {1326, 385}};
        case 157:
            return {{1329, 112}, {1328, 114}};
        default:
            return {};
    }
}

void EnterMenuPage(CQVJServToolApp& app, int templateId) {
    app.SetCurrentPage(templateId);
    app.ClearHistory();
    app.GoNext(templateId);
    app.SetOperation(kOperationNone);
}

int LeaveMenuPage(CQVJServToolApp& app, int templateId, const std::vector<int>& selectedChoices) {
    if (!IsMenuPage(templateId)) {
        return kStayOnPage;
    }
    const MenuDecision decision = templateId == kPagePartsMenu
                                      ? PartsMenuDecision(selectedChoices)
                                      : OperationMenuDecision(selectedChoices);
    app.SetOperation(decision.operation);
    return app.GoNext(decision.nextPage);
}

int GoToNextPage(CQVJServToolApp& app, int templateId) {
    return app.GoNext(NextPageAfter(templateId, app.GetOperation()));
}

}  // namespace qx7
