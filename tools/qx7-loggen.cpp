// qx7-loggen: writes synthetic printer logs (plain, compressed or bare) for tests, benchmarks,
// fuzz seeds and demonstrations.

#include <CLI/CLI.hpp>

#include <clocale>
#include <cstdio>
#include <string>

#include "core/base/SignalCleanup.h"
#include "loggen/Scenario.h"

int main(int argc, char** argv) {
    using namespace qx7::loggen;
    std::setlocale(LC_ALL, "C");
    qx7::RemoveTemporariesOnEndSignals();  // a signal leaves no half-written log behind

    CLI::App app{"Writes a synthetic QX-7 printer log", "qx7-loggen"};
    ScenarioOptions options;
    std::string output;
    std::string start;
    bool compressed = false;
    bool bare = false;
    bool noFuture = false;
    bool quiet = false;
    app.add_option("--entries", options.entries, "Entries the printer writes (default 5000)")
        ->check(CLI::Range(1u, 50000000u));
    app.add_option("--seed", options.seed, "Seed; the same seed gives the same bytes (default 1)");
    app.add_option("--ring-words", options.ringWords,
                   "Ring size in 32-bit words (default: about 3/4 of what the entries take, so "
                   "the ring wraps)")
        ->check(CLI::Range(4u, 0x1FFFFFFFu));
    auto* compressedFlag =
        app.add_flag("--compressed", compressed, "Write a compressed container (.zlg)");
    app.add_flag("--bare", bare, "Write the ring alone, without a container")
        ->excludes(compressedFlag);
    app.add_option("--start", start, "First day of operation, YYYY-MM-DD (default 2014-03-01)");
    app.add_flag("--bad-settings", options.badSettings,
                 "Give EP13 a wrong checksum and EP16 a wrong length");
    app.add_flag("--no-future", noFuture, "No entries dated more than a year ahead");
    app.add_flag("--distinct-codes", options.distinctCodes,
                 "Give every entry a code of its own (C0000000 counting up)");
    app.add_flag("-q,--quiet", quiet, "Print no summary");
    app.add_option("-o,--output", output, "File to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (!start.empty() && !ParseStartDate(start, options.start)) {
        std::fprintf(stderr, "qx7-loggen: --start wants a date YYYY-MM-DD, not \"%s\"\n",
                     start.c_str());
        return 2;
    }
    options.futureEntries = !noFuture;
    const LogForm form = bare ? LogForm::Bare : (compressed ? LogForm::Compressed : LogForm::Plain);

    ScenarioSummary summary;
    const std::string bytes = GenerateLog(options, form, &summary);
    if (!WriteBytes(output, bytes)) {
        std::fprintf(stderr, "qx7-loggen: cannot write %s\n", output.c_str());
        return 1;
    }
    if (!quiet) {
        std::printf("%s: %zu bytes, %u entries written (%u jobs, %u prints finished), ring of %u "
                    "words, %u words written\n",
                    output.c_str(), bytes.size(), summary.entriesWritten, summary.jobs,
                    summary.finishedPrints, summary.ringWords, summary.wordsWritten);
    }
    return 0;
}
