#pragma once
// Everything a sheet needs, with fakes where the program has the real thing: a recording
// message sink, a scripted spooler, a sleeper that does not sleep, a fixed clock, file
// chooser, desktop opener and program starter that answer from a script. Page tests start
// here: set the state, make the sheet, drive it with SheetDriver.

#include <QTranslator>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/text/Language.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/PageContext.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WizardSheet.h"
#include "gui/app/ToolSettings.h"
#include "gui/support/GuiFakes.h"
#include "platform/posix/SpoolDirectory.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"

namespace qx7::test {

// 2024-05-01 12:00:00 in Tokyo (the tests pin TZ to Asia/Tokyo).
inline constexpr std::int64_t kHarnessNow = 1714532400;
// The program path the harness starts the application object with.
inline constexpr char kHarnessProgram[] = "/opt/quorvel/qx7-service-tool";

class GuiHarness {
  public:
    // Starts the application object as the program does, with the system language given and
    // the command line (program path first) holding `arguments`.
    // For Japanese, Qt's Japanese translation is installed as the program does (button
    // captions, message box buttons) until the harness ends.
    explicit GuiHarness(LanguageId systemLanguage = kEnglish, const std::string& arguments = {});
    ~GuiHarness();
    GuiHarness(const GuiHarness&) = delete;
    GuiHarness& operator=(const GuiHarness&) = delete;

    // The context pages get. Options are copied into it: set them before making the sheet.
    gui::PageContext Context();

    // The program's sheet: the page table and the registered page classes.
    std::unique_ptr<gui::WizardSheet> MakeSheet();
    // A sheet of other pages (framework tests).
    std::unique_ptr<gui::WizardSheet> MakeSheet(std::span<const WizardPageInfo> pages,
                                               const gui::PageRegistry& registry);

    // The program's spooler on the directory (where a simulator installed its printers) in
    // place of the scripted one; the waits between polls stay the fake sleeper's.
    void UseSpoolDirectory(const std::string& directory);
    // The program's spooler on a CUPS scheduler, with real waits between polls (the reply
    // comes back through the scheduler while the link waits).
    void UseCupsServer(const std::string& server);

    RecordingMessageSink sink;
    CQVJServToolApp app;
    FakeSpooler spooler;
    std::unique_ptr<SpoolDirectory> spoolDirectory;  // after UseSpoolDirectory
    std::unique_ptr<ISpooler> cupsSpooler;            // after UseCupsServer
    std::unique_ptr<ISleeper> realSleeper;            // after UseCupsServer
    FakeSleeper sleeper;
    FixedNowLocalTime clock{kHarnessNow};
    FakeFileChooser files;
    FakeDesktopOpener opener;
    FakeProgramStarter programs;
    gui::ToolSettings settings{QStringLiteral("qx7-service-tool")};
    gui::GuiOptions options;

  private:
    QTranslator* qtTranslator_ = nullptr;
};

}  // namespace qx7::test
