#include "platform/posix/SpoolerChoice.h"

#include <cstdlib>

#include "platform/posix/SpoolDirectory.h"
#ifdef QX7_WITH_CUPS
#include "platform/cups/CupsSpooler.h"
#endif

namespace qx7 {

ChosenSpooler::ChosenSpooler(const SpoolerChoice& choice) {
    std::string folder = choice.spoolDirectory;
    if (folder.empty()) {
        if (const char* named = std::getenv("QX7_SPOOL_DIR"); named != nullptr && *named != '\0') {
            folder = named;
        }
    }
#ifdef QX7_WITH_CUPS
    if (folder.empty()) {
        auto cups = std::make_unique<CupsSpooler>(choice.cupsServer);
        const CupsSpooler* view = cups.get();
        problem_ = [view] { return view->Problem(); };
        spooler_ = std::move(cups);
        usesCups_ = true;
        return;
    }
#endif
    auto standIn = std::make_unique<SpoolDirectory>(folder.empty() ? DefaultSpoolDirectory() : folder);
    const SpoolDirectory* view = standIn.get();
    problem_ = [view] { return view->Problem(); };
    spooler_ = std::move(standIn);
}

ChosenSpooler::~ChosenSpooler() = default;

ISpooler& ChosenSpooler::Spooler() {
    return *spooler_;
}

bool ChosenSpooler::UsesCups() const {
    return usesCups_;
}

std::string ChosenSpooler::Problem() const {
    return problem_();
}

}  // namespace qx7
