#pragma once
// Pieces of the program's start that main puts together.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "core/text/Language.h"
#include "core/app/SecondStart.h"
#include "gui/app/PageContext.h"

class QCoreApplication;
class QTranslator;
class QWidget;

namespace qx7::gui {

// What the command line asks for. It is read before Qt starts, from the bytes the system
// passed, so that --help works without a display and a log's name keeps its bytes.
struct StartCommand {
    enum class Action {
        kRun,      // open the window
        kHelp,     // print text, end with 0
        kVersion,  // print text, end with 0
        kUsage,    // print text on standard error, end with 2
    };
    Action action = Action::kRun;
    std::string text;
    GuiOptions options;
};

// arguments: those after the program path. "--service" turns service mode on; "--browse LOG"
// asks for the entry browser alone; "--open-log" for a file chooser and the log page; the
// first other argument that is no option is a log to start the wizard with. The demo switch
// ("-demo" in any letter case, see HasDemoSwitch) may stand anywhere; Qt's own options
// ("-platform NAME", "-style NAME" ...) are left to Qt.
StartCommand ParseStartCommand(const std::string& programName,
                               const std::vector<std::string>& arguments);

// The options alone, from arguments as Qt holds them (program path first).
GuiOptions ParseGuiOptions(const QStringList& arguments);

class WizardSheet;

// The first page of the sheet: the one its table begins with, or, for a log named on the
// command line, the saved-log road walked with that log (225, or 178 after its message).
void ShowStartPage(WizardSheet& sheet, const GuiOptions& options);

// "--open-log": a file chooser over the sheet, starting where Browse of page 178 starts; the
// chosen log is then opened as one named on the command line. Cancel leaves the sheet as it is.
void OpenChosenLog(WizardSheet& sheet);

// A file chooser for a log without a window (a second start with "--open-log"); empty when
// cancelled. The name's bytes as the file system holds them.
std::string ChooseLog(const PageContext& context, QWidget* parent);

// What the running copy does with a request of a second start: the window in front (restored
// when minimised, any dialog over it raised too) and a handed-over log opened where
// PlaceForHandedLog says, on the sheet's log page or in an entry browser of its own. sheet is
// nullptr when the entry browser alone runs; window is the program's main window.
void CarryOutHandOver(const HandOverRequest& request, const PageContext& context,
                      WizardSheet* sheet, QWidget* window);

// For Japanese, installs Qt's own translations (button captions, message box buttons) and
// answers the translator, which app owns; nullptr when the language needs none or Qt's
// translation file is missing.
QTranslator* InstallQtTranslator(QCoreApplication& app, LanguageId language);

}  // namespace qx7::gui
