#include "gui/app/Startup.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <algorithm>

#include "core/app/LogFileChoice.h"
#include "core/app/QVJServToolApp.h"
#include "core/app/StartupDecision.h"
#include "core/app/VersionLine.h"
#include "gui/app/FileChooser.h"
#include "gui/wizard/MenuPage.h"
#include "gui/app/WizardSheet.h"
#include "gui/log/EntryBrowser.h"
#include "gui/log/LogFileName.h"

namespace qx7::gui {
namespace {

// The same choice of files as Browse on page 178 offers.
constexpr char kLogFilter[] = "LOG Files (*.log *.zlg);;All Files (*)";

// Qt's own options that take a value, with one dash or two: Qt reads them from the same
// command line, so neither they nor their values are the program's.
bool IsQtOptionWithValue(const std::string& argument) {
    static constexpr std::string_view kNames[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin",   "qwindowgeometry",
        "qwindowicon", "qwindowtitle",   "style",         "stylesheet", "display",
        "geometry", "title",             "name",          "session"};
    std::string_view name = argument;
    if (name.starts_with("--")) {
        name.remove_prefix(2);
    } else if (name.starts_with('-')) {
        name.remove_prefix(1);
    } else {
        return false;
    }
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

void BringToFront(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

StartCommand ParseStartCommand(const std::string& programName,
                               const std::vector<std::string>& arguments) {
    StartCommand command;
    GuiOptions& options = command.options;

    CLI::App app{"QX-7 Service Tool: the procedures after a part exchange, the printer's clock "
                 "and saved printer logs.",
                 programName};
    app.allow_windows_style_options(false);
    // Qt takes its own options from the same command line.
    app.allow_extras();
    app.set_version_flag("--version", programName + " " + VersionLine(BuiltProgramVersion()));
    app.add_flag("--service", options.serviceMode, "Show the service choices of the menus");
    app.add_option("--browse", options.logFile, "Open LOG in the entry browser alone")
        ->type_name("LOG");
    app.add_flag("--open-log", options.chooseLog,
                 "Choose a saved log in a file chooser and open it on the log page");
    std::string log;
    app.add_option("log", log, "A saved log to open on the log page")->type_name("LOG");
    app.footer(
        "-demo (any letter case) starts in demo mode. A second start hands LOG to the running "
        "copy, or brings it to the front.");

    // The demo switch has one dash and a long name, which no option parser takes: it is
    // counted apart (HasDemoSwitch), and the rest goes to the parser, in reverse as it reads.
    std::vector<std::string> rest;
    bool names = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!names && AsciiLower(argument) == "-demo") {
            continue;
        }
        if (!names && IsQtOptionWithValue(argument)) {
            ++i;
            continue;
        }
        rest.push_back(argument);
        if (argument == "--") {
            names = true;
        } else if (!names && argument == "--browse" && i + 1 < arguments.size()) {
            rest.push_back(arguments[++i]);
        }
    }
    std::reverse(rest.begin(), rest.end());
    try {
        app.parse(rest);
    } catch (const CLI::CallForHelp&) {
        command.action = StartCommand::Action::kHelp;
        command.text = app.help();
        return command;
    } catch (const CLI::CallForVersion& version) {
        command.action = StartCommand::Action::kVersion;
        command.text = version.what();
        command.text += '\n';
        return command;
    } catch (const CLI::ParseError& error) {
        command.action = StartCommand::Action::kUsage;
        command.text =
            programName + ": " + error.what() + "\nRun with --help for more information.\n";
        return command;
    }
    options.browseOnly = app.count("--browse") > 0;
    if (!options.browseOnly) {
        options.logFile = log;
    }
    return command;
}

GuiOptions ParseGuiOptions(const QStringList& arguments) {
    std::vector<std::string> bytes;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        bytes.push_back(QFile::encodeName(arguments[i]).toStdString());
    }
    return ParseStartCommand("qx7-service-tool", bytes).options;
}

void ShowStartPage(WizardSheet& sheet, const GuiOptions& options) {
    if (options.logFile.empty()) {
        return;
    }
    // Back leads to the operation menu with the saved-log choice taken, as if it had been.
    if (auto* menu = qobject_cast<MenuPage*>(sheet.Page(PageNumber(PageId::kOperationMenu)));
        menu != nullptr) {
        menu->ShowChosen(kChoiceSavedLog);
    }
    sheet.SetActivePage(StartOnLogFile(sheet.Context().app, options.logFile));
}

std::string ChooseLog(const PageContext& context, QWidget* parent) {
    const std::string start = LogBrowseStart({}, context.app.GetProgramDirectory(),
                                             ToFileName(QDir::homePath()));
    const QString chosen = context.files.OpenFile(parent, QString(), FromFileName(start),
                                                  QString::fromLatin1(kLogFilter));
    return chosen.isEmpty() ? std::string() : ToFileName(chosen);
}

void OpenChosenLog(WizardSheet& sheet) {
    GuiOptions options = sheet.Context().options;
    options.logFile = ChooseLog(sheet.Context(), &sheet);
    ShowStartPage(sheet, options);
}

void CarryOutHandOver(const HandOverRequest& request, const PageContext& context,
                      WizardSheet* sheet, QWidget* window) {
    BringToFront(window);
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != window) {
        BringToFront(modal);
    }
    if (request.logPath.empty()) {
        return;
    }
    RunningWindowState state;
    state.wizardShown = sheet != nullptr;
    state.dialogOpen = modal != nullptr && modal != window;
    if (sheet != nullptr) {
        state.currentPage = sheet->CurrentTemplate();
        state.busy = sheet->IsBusy();
    }
    if (PlaceForHandedLog(state) == HandedLogPlace::kLogPage) {
        GuiOptions options = context.options;
        options.logFile = request.logPath;
        ShowStartPage(*sheet, options);
        return;
    }
    // A window of its own beside the work under way, living as long as the main window. A
    // dialog over the main window (a viewer, a message) blocks every other window: the browser
    // then stands above it until closed, rather than belong to a dialog that may go first.
    auto* browser = new EntryBrowser(context, request.logPath, window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setWindowModality(state.dialogOpen ? Qt::ApplicationModal : Qt::NonModal);
    BringToFront(browser);
}

QTranslator* InstallQtTranslator(QCoreApplication& app, LanguageId language) {
    if (language != kJapanese) {
        return nullptr;
    }
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace qx7::gui
