// qx7ctl: the printer operations of the service tool from the command line, for technicians
// who script. Every operation talks to the printer exactly as the wizard does.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "cli/common/Utf8Arguments.h"
#include "core/text/Messages.h"
#include "core/comm/PrinterLink.h"
#include "core/comm/PrinterSession.h"
#include "core/base/PrinterTime.h"
#include "platform/SystemEnvironment.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#ifdef _WIN32
#include "platform/win32/Win32Spooler.h"
#else
#include "platform/posix/SpoolerChoice.h"
#endif

namespace {

using namespace qx7;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kCodeTemperatureRange = -61;

#ifdef _WIN32
using PlatformSpooler = Win32Spooler;
#else
using PlatformSpooler = ChosenSpooler;
#endif

void ReportNotFound(const Messages& messages, const PlatformSpooler& spooler) {
#ifndef _WIN32
    // The scheduler or the stand-in can say why nothing was found; Windows' spooler just
    // lists no printer.
    if (const std::string problem = spooler.Problem(); !problem.empty()) {
        std::fprintf(stderr, "qx7ctl: %s\n", problem.c_str());
    }
#else
    static_cast<void>(spooler);
#endif
    messages.ShowMessage(kMsgPrinterNotFound, 0);
}

// A printer named with -p that the listing would not offer gets nothing: one line saying why.
void ReportRefused(PrinterVerdict verdict, const std::string& name, const PrinterRecord& record,
                   const std::vector<PrinterRecord>& installed) {
    const std::string quoted = "\"" + name + "\"";
    std::string line;
    switch (verdict) {
        case PrinterVerdict::kUnknown: {
            std::vector<std::string> names;
            for (const PrinterRecord& printer : installed) {
                names.push_back(printer.name);
            }
            std::sort(names.begin(), names.end());
            names.erase(std::unique(names.begin(), names.end()), names.end());
            line = "no printer named " + quoted;
            if (names.empty()) {
                line += "; no printer is installed";
            } else {
                line += "; printers: ";
                for (std::size_t i = 0; i < names.size(); ++i) {
                    line += (i == 0 ? "" : ", ") + names[i];
                }
            }
            break;
        }
        case PrinterVerdict::kOtherDriver:
            line = "printer " + quoted + " is not a QX-7 printer (driver \"" + record.driverName +
                   "\"); nothing was sent";
            break;
        case PrinterVerdict::kFileOutputName:
            line = "printer " + quoted + " prints to a file (its name contains \"" +
                   kFileOutputWord + "\"); nothing was sent";
            break;
        case PrinterVerdict::kFilePort:
            line = "printer " + quoted + " prints to a file (port \"" + record.portName +
                   "\"); nothing was sent";
            break;
        case PrinterVerdict::kNotReady:
        case PrinterVerdict::kListed:
            line = "printer " + quoted +
                   " is not ready (check its connection and power); nothing was sent";
            break;
    }
    std::fprintf(stderr, "qx7ctl: %s\n", line.c_str());
}

// "YYYY-MM-DD HH:MM:SS" with the ranges of the date page; the reason when it does not fit.
std::optional<CivilTime> ParseTime(const std::string& text, std::string& why) {
    CivilTime civil;
    int* const fields[6] = {&civil.year, &civil.month,  &civil.day,
                            &civil.hour, &civil.minute, &civil.second};
    const char separators[6] = {'-', '-', ' ', ':', ':', '\0'};
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        int value = 0;
        int digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < widths[i]) {
            value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0) {
            why = "expected \"YYYY-MM-DD HH:MM:SS\"";
            return std::nullopt;
        }
        *fields[i] = value;
        if (separators[i] != '\0') {
            if (at >= text.size() || text[at] != separators[i]) {
                why = "expected \"YYYY-MM-DD HH:MM:SS\"";
                return std::nullopt;
            }
            ++at;
        }
    }
    if (at != text.size()) {
        why = "expected \"YYYY-MM-DD HH:MM:SS\"";
        return std::nullopt;
    }
    struct Range {
        const char* name;
        int value;
        int low;
        int high;
    };
    const Range ranges[] = {{"year", civil.year, 2000, 2100}, {"month", civil.month, 1, 12},
                            {"day", civil.day, 1, 31},        {"hour", civil.hour, 0, 23},
                            {"minute", civil.minute, 0, 59},  {"second", civil.second, 0, 59}};
    for (const Range& range : ranges) {
        if (range.value < range.low || range.value > range.high) {
            why = std::string(range.name) + ": Enter an integer between " +
                  std::to_string(range.low) + " and " + std::to_string(range.high) + ".";
            return std::nullopt;
        }
    }
    return civil;
}

// Whole degrees Fahrenheit as the thermistor page rounds them.
int WholeFahrenheit(double value, bool celsius) {
    double rounded = celsius ? value * 1.8 + 32 + 0.5 : value + 0.5;
    rounded = std::fmax(-1e9, std::fmin(1e9, rounded));  // far out stays far out, no overflow
    return static_cast<int>(std::trunc(rounded));
}

}  // namespace

int main(int argc, char** argv) {
    // The printer's socket may close under a write (an error to handle, not a signal); a reader
    // of the listing that goes away ends the program quietly.
    cli::HoldClosedPipeSignal();
    cli::UseBinaryStandardOutput();
    cli::Utf8Arguments arguments(argc, argv);
    CLI::App app{"QX-7 printer operations from the command line", "qx7ctl"};
    app.require_subcommand(1);
    // The same options on every system: on Windows "/path" is a file, not an option.
    app.allow_windows_style_options(false);
    std::string printerName;
#ifndef _WIN32
    // Windows has its spooler; Linux has CUPS, and a spool folder standing in for a spooler
    // for the demo and for tests without a scheduler.
    std::string spool;
    std::string cupsServer;
    CLI::Option* spoolOption = app.add_option(
        "--spool", spool,
        "Spool folder of the printer simulator instead of CUPS (default: QX7_SPOOL_DIR)");
    app.add_option("--cups-server", cupsServer,
                   "CUPS scheduler HOST[:PORT] or socket (default: CUPS_SERVER or the local one)")
        ->excludes(spoolOption);
#endif
    // An empty -p names the empty printer (which no printer has); only an absent one chooses.
    CLI::Option* printerOption = app.add_option(
        "-p,--printer", printerName, "Printer name (default: the only ready QX-7 printer)");

    CLI::App* list = app.add_subcommand("list", "List the ready QX-7 printers");

    CLI::App* setClock = app.add_subcommand("set-clock", "Set the printer's clock");
    std::string timeText;
    setClock->add_option("--time", timeText, "Local time \"YYYY-MM-DD HH:MM:SS\" (default now)");

    CLI::App* record = app.add_subcommand("record", "Record a part exchange in the printer");
    std::string part;
    record->add_option("part", part, "battery, pump or carriage-motor")
        ->required()
        ->check(CLI::IsMember({"battery", "pump", "carriage-motor"}));

    CLI::App* reset = app.add_subcommand("reset", "Reset values in the printer");
    std::string what;
    reset->add_option("what", what, "statistics (with the IP address), ip or tube-warning")
        ->required()
        ->check(CLI::IsMember({"statistics", "ip", "tube-warning"}));

    CLI::App* carriage =
        app.add_subcommand("carriage-speed", "Start the automatic carriage speed adjustment");

    CLI::App* thermistor =
        app.add_subcommand("thermistor", "Calibrate the thermistors to the room temperature");
    std::optional<double> fahrenheit;
    std::optional<double> celsius;
    auto* fOption = thermistor->add_option("--fahrenheit", fahrenheit, "Thermometer reading, F");
    auto* cOption = thermistor->add_option("--celsius", celsius, "Thermometer reading, C");
    fOption->excludes(cOption);
    thermistor->require_option(1);

    try {
        app.parse(arguments.Count(), arguments.Values());
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    cli::StderrMessageSink sink("qx7ctl");
    const Messages messages(SystemDefaultLanguage(), sink);

#ifdef _WIN32
    Win32Spooler spooler;
    PlatformSpooler& platformSpooler = spooler;
#else
    ChosenSpooler platformSpooler(SpoolerChoice{spool, cupsServer});
    ISpooler& spooler = platformSpooler.Spooler();
#endif
    SystemSleeper sleeper;
    SystemLocalTime clock;
    // The wizard's own listing and commands, without the wizard.
    PrinterSession session(spooler, sleeper, clock);

    if (list->parsed()) {
        std::vector<std::string> names;
        if (session.ListReadyPrinters(names) != 0) {
            ReportNotFound(messages, platformSpooler);
            return kExitFailure;
        }
        for (const std::string& name : names) {
            cli::WriteStandardOutput(name + "\n");
        }
        return cli::CloseStandardOutput("qx7ctl", 0);
    }

    // Everything that needs no printer is checked before one is chosen.
    std::uint32_t printerTime = 0;
    if (setClock->parsed()) {
        std::optional<std::uint32_t> converted;
        if (timeText.empty()) {
            converted = ToPrinterTime(0, clock);
        } else {
            std::string why;
            const auto civil = ParseTime(timeText, why);
            if (!civil) {
                std::fprintf(stderr, "qx7ctl: --time %s: %s\n", timeText.c_str(), why.c_str());
                return kExitUsage;
            }
            const auto seconds = clock.FromLocal(*civil);
            if (seconds) {
                converted = ToPrinterTime(*seconds, clock);
            }
        }
        if (!converted) {
            std::fprintf(stderr, "qx7ctl: the local time cannot be converted\n");
            return kExitFailure;
        }
        printerTime = *converted;
    }
    int temperature = 0;
    if (thermistor->parsed()) {
        const double reading = fahrenheit ? *fahrenheit : *celsius;
        if (!std::isfinite(reading)) {
            std::fprintf(stderr, "qx7ctl: the temperature must be a number\n");
            return kExitUsage;
        }
        temperature = WholeFahrenheit(reading, !fahrenheit.has_value());
        if (temperature < 50 || temperature > 95) {
            messages.ShowTemperatureOutOfRange(temperature, kCodeTemperatureRange);
            return kExitFailure;
        }
    }

    if (printerOption->count() == 0) {
        std::vector<std::string> names;
        if (session.ListReadyPrinters(names) != 0) {
            ReportNotFound(messages, platformSpooler);
            return kExitFailure;
        }
        if (names.size() > 1) {
            std::fprintf(stderr, "qx7ctl: %zu QX-7 printers are ready; choose one with -p:\n",
                         names.size());
            for (const std::string& name : names) {
                std::fprintf(stderr, "  %s\n", name.c_str());
            }
            return kExitUsage;
        }
        printerName = names.front();
    } else {
        // Only a printer the listing would offer: the same filter, the same readiness check.
        PrinterLink link(spooler, sleeper, clock);
        if (link.EnumeratePrinters() != 0) {
            ReportNotFound(messages, platformSpooler);
            return kExitFailure;
        }
        PrinterRecord installed;
        const PrinterVerdict verdict = link.JudgePrinter(printerName, &installed);
        if (verdict != PrinterVerdict::kListed) {
            ReportRefused(verdict, printerName, installed, link.Printers());
            return kExitFailure;
        }
    }
    session.SetSelectedPrinter(printerName);

    // Runs one operation; on failure the communication error with the failing step's code.
    const auto run = [&](bool ok, const char* done) {
        if (!ok) {
            messages.ShowMessage(kMsgCommunicationError, session.GetLastResult());
            return false;
        }
        cli::WriteStandardOutput(printerName + ": " + done + "\n");
        return true;
    };

    bool ok = false;
    if (setClock->parsed()) {
        ok = run(session.SetPrinterClock(printerTime), "clock set");
    } else if (record->parsed()) {
        if (part == "battery") {
            ok = run(session.RecordBatteryExchange(), "battery exchange recorded");
        } else if (part == "pump") {
            ok = run(session.RecordPumpExchange(), "tube pump exchange recorded");
        } else {
            ok = run(session.RecordCarriageMotorExchange(), "carriage motor exchange recorded");
        }
    } else if (reset->parsed()) {
        if (what == "statistics") {
            ok = run(session.ResetStatistics(), "statistical values reset") &&
                 run(session.ResetIpAddress(), "IP address reset");
        } else if (what == "ip") {
            ok = run(session.ResetIpAddress(), "IP address reset");
        } else {
            ok = run(session.ResetTubeCleanWarning(), "\"Clean Tube W\" warning reset");
        }
    } else if (carriage->parsed()) {
        ok = run(session.StartCarriageSpeedAdjustment(), "carriage speed adjustment started");
    } else if (thermistor->parsed()) {
        if (session.CalibrateThermistor(temperature)) {
            cli::WriteStandardOutput(printerName + ": thermistors calibrated to " +
                                     std::to_string(temperature) + " F\n");
            ok = true;
        } else if (session.GetLastResult() == kLinkReplyStatus) {
            // The printer turned the value down: the calibration page's own words.
            messages.ShowMessage(122, 0);
        } else {
            messages.ShowMessage(kMsgCommunicationError, session.GetLastResult());
        }
    }
    return cli::CloseStandardOutput("qx7ctl", ok ? 0 : kExitFailure);
}
