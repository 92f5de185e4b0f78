// The simulator as a CUPS backend on its own: its device URI is refused cleanly whatever it
// holds, its files are whole and numbered on, and it keeps to a backend's conventions
// (discovery lists nothing, a job file is read, a broken state is never silently reset).

#ifdef QX7_SIM_BACKEND
#include <cups/sidechannel.h>
#endif
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "sim/BackendUri.h"
#include "sim/PrinterFiles.h"
#include "support/ChildProcess.h"
#include "support/CupsChain.h"
#include "support/TempDir.h"

namespace qx7::sim {
namespace {

const std::string kSim = QX7_PRINTER_SIM_PATH;

bool PrintableLine(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            return false;
        }
    }
    return true;
}

TEST(BackendUriTest, ReadsEveryParameterPercentDecoded) {
    std::string error;
    const auto uri = ParseBackendUri(
        "qx7sim://QX7%20Lab?fault=garble&after=12&state=%2Ftmp%2Fsim%20state&hold=/tmp/off%3F",
        error);
    ASSERT_TRUE(uri.has_value()) << error;
    EXPECT_EQ(uri->name, "QX7 Lab");
    EXPECT_EQ(uri->fault, Fault::kGarble);
    EXPECT_EQ(uri->after, 12u);
    EXPECT_EQ(uri->stateDir, "/tmp/sim state");
    EXPECT_EQ(uri->holdPath, "/tmp/off?");

    const auto plain = ParseBackendUri("qx7sim://QX7", error);
    ASSERT_TRUE(plain.has_value()) << error;
    EXPECT_EQ(plain->fault, Fault::kNone);
    EXPECT_EQ(plain->after, 0u);
    EXPECT_TRUE(plain->stateDir.empty());
    EXPECT_TRUE(plain->holdPath.empty());

    const struct {
        const char* value;
        Fault fault;
    } faults[] = {{"none", Fault::kNone},
                  {"offline", Fault::kOffline},
                  {"silent", Fault::kSilent},
                  {"refuse", Fault::kRefuse},
                  {"garble", Fault::kGarble}};
    for (const auto& f : faults) {
        const auto parsed = ParseBackendUri(std::string("qx7sim://Q?fault=") + f.value, error);
        ASSERT_TRUE(parsed.has_value()) << f.value;
        EXPECT_EQ(parsed->fault, f.fault) << f.value;
    }
}

TEST(BackendUriTest, RefusesHostileUrisWithAPrintableReason) {
    const std::string longUri = "qx7sim://Q?state=/" + std::string(5000, 'a');
    const char* const hostile[] = {
        "",
        "usb://Quorvel/QX-7",
        "qx7sim:QX7",
        "qx7sim://",
        "qx7sim://?fault=none",
        "qx7sim://a%2Fb",
        "qx7sim://Q?",
        "qx7sim://Q?&fault=none",
        "qx7sim://Q?fault",
        "qx7sim://Q?fault=bogus",
        "qx7sim://Q?fault=NONE",
        "qx7sim://Q?fault=none&fault=silent",
        "qx7sim://Q?colour=red",
        "qx7sim://Q?after=",
        "qx7sim://Q?after=-1",
        "qx7sim://Q?after=+1",
        "qx7sim://Q?after=1x",
        "qx7sim://Q?after=0x10",
        "qx7sim://Q?after=99999999999999999999999",
        "qx7sim://Q?state=relative/dir",
        "qx7sim://Q?state=",
        "qx7sim://Q?state=/tmp/a%00b",
        "qx7sim://Q?state=/tmp/a%0AERROR:%20injected",
        "qx7sim://Q?hold=/tmp/x%0d",
        "qx7sim://Q?hold=%",
        "qx7sim://Q?hold=/tmp/%4",
        "qx7sim://Q?hold=/tmp/%G1",
        "qx7sim://Q?fa%0Aul=none",
        "qx7sim://Q?\n=\x01\xff",
    };
    std::vector<std::string> uris(std::begin(hostile), std::end(hostile));
    uris.push_back(longUri);
    uris.push_back(std::string("qx7sim://Q?fault=none\0&state=/x", 32));
    for (const std::string& uri : uris) {
        std::string error;
        EXPECT_FALSE(ParseBackendUri(uri, error).has_value()) << Printable(uri);
        EXPECT_FALSE(error.empty()) << Printable(uri);
        EXPECT_TRUE(PrintableLine(error)) << Printable(error);
    }
}

// Random text after the scheme: never a crash, and any refusal stays one printable line.
TEST(BackendUriTest, AnyTextIsParsedSafely) {
    std::mt19937 random(7);
    const std::string alphabet = "qx7sim:/?&=%0aAfF2\n\r\x01\xff-+ state hold after fault";
    for (int i = 0; i < 5000; ++i) {
        std::string uri = i % 2 == 0 ? "qx7sim://" : "";
        const std::size_t length = random() % 60;
        for (std::size_t j = 0; j < length; ++j) {
            uri += i % 3 == 0 ? static_cast<char>(random() % 256)
                              : alphabet[random() % alphabet.size()];
        }
        std::string error;
        if (!ParseBackendUri(uri, error)) {
            EXPECT_TRUE(PrintableLine(error)) << Printable(uri);
        }
    }
}

TEST(PrinterFilesTest, StateReadsBackAndBrokenStatesAreRefused) {
    SavedState state;
    state.commandsTaken = 41;
    state.clock = 800000123u;
    state.clockAt = 1765000000;
    const auto read = ParseState(FormatState(state));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->commandsTaken, 41u);
    EXPECT_EQ(read->clock, state.clock);
    EXPECT_EQ(read->clockAt, state.clockAt);
    EXPECT_TRUE(ParseState("commands-taken 0\n").has_value());
    for (const char* broken :
         {"", "commands-taken 3", "commands-taken -1\n", "commands-taken x\n",
          "commands-taken 1\ncommands-taken 2\n", "clock 5 6\n", "commands-taken 1\nclock 5\n",
          "commands-taken 1\nclock 99999999999 1\n", "commands-taken 1 2\n",
          "commands-taken 1\nnoise\n"}) {
        EXPECT_FALSE(ParseState(broken).has_value()) << broken;
    }
}

TEST(PrinterFilesTest, JobsAreNumberedOnFromTheHighestAndWrittenWhole) {
    test::TempDir dir;
    test::WriteFile(dir.File("0001.bin"), "a");
    test::WriteFile(dir.File("0007.bin"), "b");
    test::WriteFile(dir.File("12.bin"), "not ours");
    test::WriteFile(dir.File("notes.txt"), "");
    std::string error;
    const std::vector<unsigned char> job = {0x00, 0x1B, 0xFF, 0x0A};
    const std::string path = RecordJob(dir.Path().string(), job, error);
    EXPECT_EQ(path, dir.File("0008.bin")) << error;
    EXPECT_EQ(test::ReadFile(path), std::string("\x00\x1B\xFF\x0A", 4));
    EXPECT_EQ(
        test::FileNames(dir.Path()),
        (std::vector<std::string>{"0001.bin", "0007.bin", "0008.bin", "12.bin", "notes.txt"}));
    // A folder that is not there: no file, and the reason.
    EXPECT_TRUE(RecordJob(dir.File("missing"), job, error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(StandInJobsFolderTest, FolderThatIsNotThereIsRefused) {
    test::TempDir dir;
    const test::ProgramResult result = test::RunProgram(
        kSim, {"--spool", dir.Path().string(), "--jobs-dir", dir.File("missing"), "--quiet"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(test::FileNames(dir.Path()).empty());
}

#ifdef QX7_SIM_BACKEND

// Runs the backend with a filter that sends nothing and goes away.
test::ChainResult RunBackend(const std::string& uri, const std::vector<std::string>& args,
                             const std::string& argv0 = "") {
    const auto gone = test::ChainSide::Function([](test::ChainIo&) { return 0; });
    const auto backend =
        test::ChainSide::Program(kSim, args, {{"DEVICE_URI", uri}}, argv0.empty() ? uri : argv0);
    return test::RunChain(gone, backend, "");
}

TEST(SimBackendTest, DiscoveryListsNothingAndWrongArgumentsFail) {
    test::TempDir dir;
    const std::string installed = dir.File("qx7sim");
    std::filesystem::create_symlink(kSim, installed);
    const test::ProgramResult discovery = test::RunProgram(installed, {});
    EXPECT_EQ(discovery.exitCode, 0);
    EXPECT_TRUE(discovery.out.empty());
    EXPECT_TRUE(discovery.err.empty());
    const test::ProgramResult wrong = test::RunProgram(installed, {"1", "user", "title"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("job-id user title copies options [file]"), std::string::npos);
}

TEST(SimBackendTest, BadUriFailsTheJobWithOneErrorLine) {
    const test::ChainResult result =
        RunBackend("qx7sim://Q?fault=bogus%0AERROR:%20x", test::CupsArgs(3));
    EXPECT_EQ(result.backend.exitCode, 1);  // CUPS_BACKEND_FAILED
    EXPECT_EQ(result.backend.err.rfind("ERROR: qx7sim: unknown fault", 0), 0u)
        << result.backend.err;
    EXPECT_EQ(std::count(result.backend.err.begin(), result.backend.err.end(), '\n'), 1);
}

TEST(SimBackendTest, JobFileIsTakenAtItsEndAndABrokenStateIsKept) {
    test::TempDir state;
    test::TempDir files;
    const std::string job = files.File("job.bin");
    test::WriteFile(job, std::string("not a command job\0\xff", 19));
    const std::string uri = "qx7sim://Q?state=" + state.Path().string();
    test::ChainResult result = RunBackend(uri, test::CupsArgs(4, job));
    EXPECT_EQ(result.backend.exitCode, 0) << result.backend.err;
    EXPECT_EQ(test::ReadFile((state.Path() / "jobs" / "0001.bin").string()), test::ReadFile(job));
    EXPECT_NE(result.backend.err.find("DEBUG: qx7sim: rejected job"), std::string::npos)
        << result.backend.err;
    // Not a command: the printer took it without counting it.
    const auto saved = ParseState(test::ReadFile((state.Path() / "state").string()));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->commandsTaken, 0u);
    EXPECT_TRUE(saved->clock.has_value());

    // A state the backend cannot read fails the job and stays as it was.
    test::WriteFile((state.Path() / "state").string(), "commands-taken many\n");
    result = RunBackend(uri, test::CupsArgs(5, job));
    EXPECT_EQ(result.backend.exitCode, 1);
    EXPECT_NE(result.backend.err.find("ERROR: qx7sim: "), std::string::npos);
    EXPECT_EQ(test::ReadFile((state.Path() / "state").string()), "commands-taken many\n");
    EXPECT_EQ(test::FileNames(state.Path() / "jobs"), std::vector<std::string>{"0001.bin"});

    // A state folder that is not there.
    result = RunBackend("qx7sim://Q?state=" + state.File("missing"), test::CupsArgs(6, job));
    EXPECT_EQ(result.backend.exitCode, 1);
    EXPECT_NE(result.backend.err.find("ERROR: qx7sim: "), std::string::npos);
}

// A backend started without standard input fails the job instead of spinning on it.
TEST(SimBackendTest, NoInputAtAllFailsTheJob) {
    const test::ProgramResult result = test::RunProgram(
        "/usr/bin/timeout",
        {"60", "/bin/sh", "-c", "exec \"$0\" 1 user title 1 '' 0<&- 3>&- 4>&-", kSim},
        {{"DEVICE_URI", "qx7sim://Q"}});
    EXPECT_EQ(result.exitCode, 1) << result.err;  // 124 if it never ended
    EXPECT_NE(result.err.find("ERROR: qx7sim: cannot read the job"), std::string::npos)
        << result.err;
}

// What a filter asks through the side channel, answered as a USB printer's backend would.
TEST(SimBackendTest, SideChannelAnswersAsAPrinterOnUsb) {
    const auto asking = test::ChainSide::Function([](test::ChainIo&) {
        const auto ask = [](cups_sc_command_t command) {
            char data[256] = {};
            int length = sizeof data;
            const cups_sc_status_t status = cupsSideChannelDoRequest(command, data, &length, 10.0);
            std::string line = std::to_string(status) + " " +
                               std::string(data, static_cast<std::size_t>(std::max(length, 0))) +
                               "\n";
            write(STDERR_FILENO, line.data(), line.size());
        };
        ask(CUPS_SC_CMD_GET_BIDI);
        ask(CUPS_SC_CMD_GET_DEVICE_ID);
        ask(CUPS_SC_CMD_GET_STATE);
        ask(CUPS_SC_CMD_SOFT_RESET);
        return 0;
    });
    const std::string uri = "qx7sim://Q";
    const auto backend =
        test::ChainSide::Program(kSim, test::CupsArgs(2), {{"DEVICE_URI", uri}}, uri);
    const test::ChainResult result = test::RunChain(asking, backend, "");
    const auto ok = std::to_string(CUPS_SC_STATUS_OK) + " ";
    EXPECT_EQ(result.filter.err, ok + std::string(1, static_cast<char>(CUPS_SC_BIDI_SUPPORTED)) +
                                     "\n" + ok + "MFG:Quorvel;MDL:QX-7 Series;CMD:QX7;\n" + ok +
                                     std::string(1, static_cast<char>(CUPS_SC_STATE_ONLINE)) +
                                     "\n" + std::to_string(CUPS_SC_STATUS_NOT_IMPLEMENTED) + " \n");
    EXPECT_EQ(result.backend.exitCode, 0) << result.backend.err;
}

#endif  // QX7_SIM_BACKEND

}  // namespace
}  // namespace qx7::sim
