#pragma once
// Everything a wizard page reaches outside itself, handed to each page when the sheet makes it.
// The program passes the real services; tests pass fakes, so no page ever needs a global.

#include <string>

namespace qx7 {
class CQVJServToolApp;
class ILocalTime;
}  // namespace qx7

namespace qx7::gui {

class IFileChooser;
class IDesktopOpener;
class IProgramStarter;
class ToolSettings;

// Start options of the window that pages read.
struct GuiOptions {
    // "--service": the hidden menu choices of pages 133 and 156 are shown.
    bool serviceMode = false;
    // A log named on the command line: the wizard starts on the saved-log road with it.
    std::string logFile;
    // "--browse LOG": the entry browser alone, no wizard.
    bool browseOnly = false;
    // "--open-log": a file chooser for the log first, then the log page with it.
    bool chooseLog = false;
};

struct PageContext {
    CQVJServToolApp& app;  // shared wizard state, messages, printer operations
    IFileChooser& files;
    IDesktopOpener& opener;
    IProgramStarter& programs;
    ToolSettings& settings;
    const ILocalTime& clock;
    GuiOptions options;
};

}  // namespace qx7::gui
