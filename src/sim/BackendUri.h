#pragma once
// The device URI of the simulator as a CUPS backend, which tells the simulated printer how to
// behave:
//
//   qx7sim://NAME?fault=none|offline|silent|refuse|garble&after=N&state=DIR&hold=PATH
//
// Every parameter is optional; values are percent-decoded. The URI comes from whoever set up
// the queue, so any text must be refused cleanly rather than trusted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/SimPrinter.h"

namespace qx7::sim {

inline constexpr char kBackendScheme[] = "qx7sim";

struct BackendUri {
    std::string name;
    Fault fault = Fault::kNone;
    std::uint64_t after = 0;  // commands taken normally before the fault starts
    std::string stateDir;     // empty: no state kept between jobs
    std::string holdPath;     // empty: the printer is never held switched off
};

// The URI's settings, or nullopt with the reason in error (printable text only, whatever the
// URI held).
std::optional<BackendUri> ParseBackendUri(std::string_view uri, std::string& error);

// The text with every byte outside printable ASCII shown as \xHH: safe inside a status line.
std::string Printable(std::string_view text);

}  // namespace qx7::sim
