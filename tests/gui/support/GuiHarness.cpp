#include "gui/support/GuiHarness.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include "gui/app/Startup.h"
#include "platform/SystemSleeper.h"
#ifdef QX7_WITH_CUPS
#include "platform/cups/CupsSpooler.h"
#endif

namespace qx7::test {

GuiHarness::GuiHarness(LanguageId systemLanguage, const std::string& arguments) : app(sink, '/') {
    std::string commandLine = kHarnessProgram;
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    app.Start(kHarnessProgram, commandLine, systemLanguage);
    app.Printer().SetServices(&spooler, &sleeper, &clock);
    if (auto* core = QCoreApplication::instance()) {
        qtTranslator_ = gui::InstallQtTranslator(*core, app.GetLanguage());
    }
}

GuiHarness::~GuiHarness() {
    if (qtTranslator_ != nullptr) {
        QCoreApplication::removeTranslator(qtTranslator_);
        delete qtTranslator_;
    }
}

void GuiHarness::UseSpoolDirectory(const std::string& directory) {
    spoolDirectory = std::make_unique<SpoolDirectory>(directory);
    app.Printer().SetServices(spoolDirectory.get(), &sleeper, &clock);
}

void GuiHarness::UseCupsServer(const std::string& server) {
#ifdef QX7_WITH_CUPS
    cupsSpooler = std::make_unique<CupsSpooler>(server);
    realSleeper = std::make_unique<SystemSleeper>();
    app.Printer().SetServices(cupsSpooler.get(), realSleeper.get(), &clock);
#else
    static_cast<void>(server);
    ADD_FAILURE() << "built without the printer link through CUPS";
#endif
}

gui::PageContext GuiHarness::Context() {
    return gui::PageContext{app, files, opener, programs, settings, clock, options};
}

std::unique_ptr<gui::WizardSheet> GuiHarness::MakeSheet() {
    return MakeSheet(WizardPages(), gui::PageRegistry::Global());
}

std::unique_ptr<gui::WizardSheet> GuiHarness::MakeSheet(std::span<const WizardPageInfo> pages,
                                                       const gui::PageRegistry& registry) {
    return std::make_unique<gui::WizardSheet>(Context(), pages, registry);
}

}  // namespace qx7::test
