// qx7-setup-printer as a user runs it: against fakes of CUPS' programs first on PATH (what the
// search finds, what it asks, what it hands lpadmin), and as root against a private scheduler
// (the queue it adds, as CUPS itself reports it).

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::EnvList;
using test::PrivateCupsd;
using test::ProgramResult;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Args = std::vector<std::string>;

const std::string kScript = QX7_SETUP_PRINTER_PATH;
const std::string kCommandType = "application/vnd.qx7-command";

// Runs the script with the input on its standard input (none: /dev/null, so that a question
// can never wait for a terminal).
ProgramResult RunScript(const Args& args, const EnvList& env, const std::string& input = {},
                        const Args& prefix = {}) {
    TempDir dir;
    std::string inputPath = "/dev/null";
    if (!input.empty()) {
        inputPath = dir.File("stdin");
        WriteFile(inputPath, input);
    }
    Args all = prefix;
    all.insert(all.end(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" <\"$QX7_TEST_STDIN\"", kScript});
    all.insert(all.end(), args.begin(), args.end());
    EnvList fullEnv = env;
    fullEnv.emplace_back("QX7_TEST_STDIN", inputPath);
    const std::string program = all.front();
    all.erase(all.begin());
    return test::RunProgram(program, all, fullEnv);
}

std::string Described(const ProgramResult& result) {
    return "exit " + std::to_string(result.exitCode) + "\nout: " + result.out +
           "\nerr: " + result.err;
}

Args LpadminArgs(const std::string& name, const std::string& uri, const std::string& ppd) {
    return {"-p", name, "-E", "-v", uri, "-P", ppd, "-o", "printer-error-policy=abort-job"};
}

// lpinfo, lpstat and lpadmin as small scripts: each prints what the test gave it, ends with
// the status given (0 by default), and notes the arguments of every call.
class FakeCups {
  public:
    FakeCups() {
        for (const char* program : {"lpinfo", "lpstat", "lpadmin"}) {
            const std::string base = dir_.File(program);
            WriteFile(base,
                      "#!/bin/sh\n"
                      "base='" +
                          base +
                          "'\n"
                          "{ echo --; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } "
                          ">>\"$base.calls\"\n"
                          "[ -f \"$base.out\" ] && cat \"$base.out\"\n"
                          "[ -f \"$base.err\" ] && cat \"$base.err\" >&2\n"
                          "exit \"$(cat \"$base.rc\" 2>/dev/null || echo 0)\"\n");
            chmod(base.c_str(), 0755);
        }
    }

    void Says(const std::string& program, const std::string& out, int status = 0,
              const std::string& err = {}) {
        WriteFile(dir_.File(program) + ".out", out);
        WriteFile(dir_.File(program) + ".err", err);
        WriteFile(dir_.File(program) + ".rc", std::to_string(status));
    }

    std::vector<Args> Calls(const std::string& program) const {
        std::vector<Args> calls;
        std::istringstream lines(ReadFile(dir_.File(program) + ".calls"));
        for (std::string line; std::getline(lines, line);) {
            if (line == "--") {
                calls.emplace_back();
            } else if (!calls.empty()) {
                calls.back().push_back(line);
            }
        }
        return calls;
    }

    EnvList Env() const { return {{"PATH", dir_.Path().string() + ":/usr/bin:/bin"}}; }

  private:
    TempDir dir_;
};

class SetupPrinterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // No queue yet, as CUPS says it.
        cups_.Says("lpstat", "", 1, "lpstat: No destinations added.\n");
    }

    ProgramResult Run(Args args, const std::string& input = {}) {
        args.insert(args.end(), {"--ppd", ppd_});
        return RunScript(args, cups_.Env(), input);
    }

    FakeCups cups_;
    const std::string ppd_ = PrivateCupsd::Qx7Ppd();
};

const char kOtherDevices[] =
    "network socket\n"
    "network ipp\n"
    "direct usb://EPSON/Stylus%20Photo?serial=X9\n"
    "direct usb://QuorvelTech/QX-9?serial=Q\n"
    "network ipp://Quorvel-QX-7.local/ipp/print\n"
    "serial serial:/dev/ttyS0?baud=115200\n";

TEST_F(SetupPrinterTest, TheOneQx7AmongOtherDevicesGetsTheQueue) {
    // The make in whatever case the printer reports it.
    cups_.Says("lpinfo",
               std::string(kOtherDevices) + "direct usb://QUORVEL/QX-7%20Series?serial=A1\n");
    const ProgramResult result = Run({});
    ASSERT_EQ(result.exitCode, 0) << Described(result);
    EXPECT_EQ(cups_.Calls("lpinfo"), std::vector<Args>{{"-v"}});
    EXPECT_EQ(cups_.Calls("lpadmin"), std::vector<Args>{LpadminArgs(
                                          "QX-7", "usb://QUORVEL/QX-7%20Series?serial=A1", ppd_)});
    EXPECT_NE(result.out.find("Added the queue \"QX-7\": usb://QUORVEL/QX-7%20Series?serial=A1"),
              std::string::npos)
        << result.out;
}

TEST_F(SetupPrinterTest, SeveralQx7sAskUntilTheAnswerIsOneOfThem) {
    cups_.Says("lpinfo", "direct usb://Quorvel/QX-7%20Series?serial=A1\n" +
                             std::string(kOtherDevices) +
                             "direct usb://Quorvel/QX-7%20Series?serial=B2\n"
                             "direct usb://quorvel/QX-7%20Series?serial=C3\n"
                             "direct usb://Quorvel/QX-7%20Series?serial=A1\n");
    // Not a number, out of range, zero, then the second one with a leading zero.
    const ProgramResult result = Run({"--name", "left"}, "two\n4\n0\n02\n");
    ASSERT_EQ(result.exitCode, 0) << Described(result);
    EXPECT_EQ(cups_.Calls("lpadmin"), std::vector<Args>{LpadminArgs(
                                          "left", "usb://Quorvel/QX-7%20Series?serial=B2", ppd_)});
    // Each printer listed once, numbered; the question asked again after each bad answer.
    EXPECT_NE(result.out.find("Found 3 QX-7 printers:\n"
                              "  1) usb://Quorvel/QX-7%20Series?serial=A1\n"
                              "  2) usb://Quorvel/QX-7%20Series?serial=B2\n"
                              "  3) usb://quorvel/QX-7%20Series?serial=C3\n"),
              std::string::npos)
        << result.out;
    std::size_t asked = 0;
    for (std::size_t at = 0; (at = result.out.find("(1-3)", at)) != std::string::npos; ++at) {
        ++asked;
    }
    EXPECT_EQ(asked, 4u) << result.out;
}

TEST_F(SetupPrinterTest, SeveralQx7sWithoutAnAnswerChangeNothing) {
    cups_.Says("lpinfo",
               "direct usb://Quorvel/QX-7%20Series?serial=A1\n"
               "direct usb://Quorvel/QX-7%20Series?serial=B2\n");
    for (const char* input : {"", "9\n"}) {
        const ProgramResult result = Run({}, input);
        EXPECT_EQ(result.exitCode, 1) << Described(result);
        EXPECT_NE(result.err.find("no printer chosen"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
}

TEST_F(SetupPrinterTest, NoQx7OnUsbIsAFailureWithItsCause) {
    for (const std::string& devices : {std::string(kOtherDevices), std::string()}) {
        cups_.Says("lpinfo", devices);
        const ProgramResult result = Run({});
        EXPECT_EQ(result.exitCode, 1) << Described(result);
        EXPECT_NE(result.err.find("no QX-7 printer found on USB"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
}

TEST_F(SetupPrinterTest, AFailedSearchShowsLpinfosWordsAndTheWayAround) {
    cups_.Says("lpinfo", "", 1, "lpinfo: cups-deviced failed to execute.\n");
    const ProgramResult result = Run({});
    EXPECT_EQ(result.exitCode, 1) << Described(result);
    EXPECT_NE(result.err.find("    lpinfo: cups-deviced failed to execute."), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("--device-uri"), std::string::npos) << result.err;
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
}

TEST_F(SetupPrinterTest, AGivenDeviceIsTakenWithoutASearch) {
    cups_.Says("lpinfo", "", 1, "lpinfo: should not run\n");
    const ProgramResult result = Run({"--device-uri=qx7port://QX-7/A1", "--name=bench"});
    ASSERT_EQ(result.exitCode, 0) << Described(result);
    EXPECT_TRUE(cups_.Calls("lpinfo").empty());
    EXPECT_EQ(cups_.Calls("lpadmin"),
              std::vector<Args>{LpadminArgs("bench", "qx7port://QX-7/A1", ppd_)});
}

TEST_F(SetupPrinterTest, AQueueOfTheSameNameIsReplacedOnlyWhenAsked) {
    // CUPS compares queue names without regard to case; a longer name is another queue.
    cups_.Says("lpstat",
               "device for QX-70: usb://Quorvel/QX-7%20Series?serial=Z\n"
               "device for office: ipp://192.0.2.7/ipp/print\n"
               "device for qx-7: usb://Quorvel/QX-7%20Series?serial=OLD\n");
    const Args args = {"--device-uri", "usb://Quorvel/QX-7%20Series?serial=NEW"};
    const ProgramResult refused = Run(args);
    EXPECT_EQ(refused.exitCode, 1) << Described(refused);
    EXPECT_NE(refused.err.find("a queue named \"qx-7\" exists already"), std::string::npos)
        << refused.err;
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());

    Args replacing = args;
    replacing.push_back("--replace");
    const ProgramResult replaced = Run(replacing);
    ASSERT_EQ(replaced.exitCode, 0) << Described(replaced);
    EXPECT_EQ(cups_.Calls("lpadmin"), std::vector<Args>{LpadminArgs(
                                          "QX-7", "usb://Quorvel/QX-7%20Series?serial=NEW", ppd_)});
    EXPECT_NE(replaced.out.find("Replaced the queue"), std::string::npos) << replaced.out;
}

TEST_F(SetupPrinterTest, OtherQueuesDoNotStandInTheWay) {
    cups_.Says("lpstat",
               "device for QX-70: usb://Quorvel/QX-7%20Series?serial=Z\n"
               "device for XQX-7: usb://Quorvel/QX-7%20Series?serial=Y\n");
    const ProgramResult result = Run({"--device-uri", "usb://Quorvel/QX-7%20Series?serial=A1"});
    ASSERT_EQ(result.exitCode, 0) << Described(result);
    EXPECT_EQ(cups_.Calls("lpadmin").size(), 1u);
    EXPECT_NE(result.out.find("Added the queue"), std::string::npos) << result.out;
}

TEST_F(SetupPrinterTest, AQueueListThatFailsStopsBeforeAnyChange) {
    cups_.Says("lpstat", "", 1, "lpstat: Scheduler is not running.\n");
    const ProgramResult result = Run({"--device-uri", "usb://Quorvel/QX-7%20Series?serial=A1"});
    EXPECT_EQ(result.exitCode, 1) << Described(result);
    EXPECT_NE(result.err.find("    lpstat: Scheduler is not running."), std::string::npos)
        << result.err;
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
}

TEST_F(SetupPrinterTest, LpadminsRefusalIsAFailureInItsOwnWords) {
    cups_.Says("lpadmin", "", 1,
               "lpadmin: Printer drivers are deprecated and will stop working in a future "
               "version of CUPS.\nlpadmin: Bad device-uri scheme \"nosuch\".\n");
    const ProgramResult result = Run({"--device-uri", "nosuch://x"});
    EXPECT_EQ(result.exitCode, 1) << Described(result);
    EXPECT_NE(result.err.find("CUPS did not add the queue \"QX-7\"; lpadmin said:\n"
                              "    lpadmin: Bad device-uri scheme \"nosuch\".\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out.find("Added"), std::string::npos) << result.out;
}

TEST_F(SetupPrinterTest, UsageErrorsEndWithStatusTwoBeforeAnythingRuns) {
    const std::vector<Args> wrong = {
        {"--bogus"},
        {"extra"},
        {"--name"},
        {"--device-uri"},
        {"--device-uri="},
        {"--name", ""},
        {"--name", "two words"},
        {"--name", "a/b"},
        {"--name", "a#b"},
        {"--name", "a@host"},
        {"--name", "a\\b"},
        {"--name", "tab\there"},
        {"--name", std::string(128, 'q')},
        {"--device-uri", "no-scheme"},
        {"--device-uri", "usb://Quorvel/QX-7 Series"},
    };
    for (const Args& args : wrong) {
        const ProgramResult result = Run(args);
        EXPECT_EQ(result.exitCode, 2) << args.front() << " " << Described(result);
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(cups_.Calls("lpinfo").empty());
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
    // The longest name CUPS takes is still taken.
    const ProgramResult longest =
        Run({"--name", std::string(127, 'q'), "--device-uri", "qx7port://QX-7/A1"});
    EXPECT_EQ(longest.exitCode, 0) << Described(longest);
}

TEST_F(SetupPrinterTest, HelpAndVersionNeedNoScheduler) {
    const ProgramResult help = RunScript({"--help"}, cups_.Env());
    EXPECT_EQ(help.exitCode, 0) << Described(help);
    for (const char* option : {"--device-uri URI", "--name QUEUE", "--ppd PATH", "--replace",
                               "--version", "Exit status"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ProgramResult version = RunScript({"--version"}, cups_.Env());
    EXPECT_EQ(version.exitCode, 0) << Described(version);
    EXPECT_EQ(version.out, std::string("qx7-setup-printer ") + QX7_PROJECT_VERSION + "\n");
    EXPECT_TRUE(cups_.Calls("lpstat").empty());
}

TEST_F(SetupPrinterTest, AMissingDriverFileIsNamed) {
    cups_.Says("lpinfo", "direct usb://Quorvel/QX-7%20Series?serial=A1\n");
    const ProgramResult result = RunScript({"--ppd", "/nonexistent/qx7.ppd"}, cups_.Env());
    EXPECT_EQ(result.exitCode, 1) << Described(result);
    EXPECT_NE(result.err.find("no driver file at \"/nonexistent/qx7.ppd\""), std::string::npos)
        << result.err;
    EXPECT_TRUE(cups_.Calls("lpadmin").empty());
}

// The queue as the scheduler reports it.
struct QueueView {
    bool found = false;
    std::string makeAndModel;
    std::string errorPolicy;
    std::string deviceUri;
    bool accepting = false;
    int state = 0;
    std::vector<std::string> formats;
};

QueueView ReadQueue(const std::string& socket, const std::string& queue) {
    QueueView view;
    std::unique_ptr<http_t, decltype(&httpClose)> http(
        httpConnect2(socket.c_str(), 631, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 10000,
                     nullptr),
        &httpClose);
    if (!http) {
        return view;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char* const kWanted[] = {
        "printer-make-and-model",    "printer-error-policy", "device-uri",
        "printer-is-accepting-jobs", "printer-state",        "document-format-supported"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
    std::unique_ptr<ipp_t, decltype(&ippDelete)> response(cupsDoRequest(http.get(), request, "/"),
                                                          &ippDelete);
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return view;
    }
    view.found = true;
    const auto text = [&](const char* name) {
        ipp_attribute_t* attribute = ippFindAttribute(response.get(), name, IPP_TAG_ZERO);
        const char* value = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
        return std::string(value ? value : "");
    };
    view.makeAndModel = text("printer-make-and-model");
    view.errorPolicy = text("printer-error-policy");
    view.deviceUri = text("device-uri");
    if (ipp_attribute_t* a =
            ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN)) {
        view.accepting = ippGetBoolean(a, 0) != 0;
    }
    if (ipp_attribute_t* a = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM)) {
        view.state = ippGetInteger(a, 0);
    }
    if (ipp_attribute_t* a =
            ippFindAttribute(response.get(), "document-format-supported", IPP_TAG_MIMETYPE)) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            view.formats.emplace_back(ippGetString(a, i, nullptr));
        }
    }
    return view;
}

// The script against a scheduler of the test's own, with a stand-in for the printer's port
// and for the command filter.
class SetupPrinterCupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string skip = PrivateCupsd::SkipReason();
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        cupsd_ = std::make_unique<PrivateCupsd>();
        std::string error;
        ASSERT_TRUE(cupsd_->Start(error)) << error;
        ASSERT_TRUE(cupsd_->InstallBackend("qx7port", "#!/bin/sh\ncat >/dev/null\nexit 0\n"));
        ASSERT_TRUE(cupsd_->InstallFilter("qx7-command-filter", "#!/bin/sh\nexec cat\n"));
    }

    EnvList Env() const {
        EnvList env = cupsd_->ClientEnv();
        env.emplace_back("PATH", "/usr/sbin:/usr/bin:/sbin:/bin");
        return env;
    }

    ProgramResult Run(Args args, const Args& prefix = {}) {
        args.insert(args.end(), {"--ppd", PrivateCupsd::Qx7Ppd()});
        return RunScript(args, Env(), {}, prefix);
    }

    std::unique_ptr<PrivateCupsd> cupsd_;
};

TEST_F(SetupPrinterCupsTest, TheQueueIsAnEnabledAcceptingQx7ThatDropsFailedJobs) {
    const ProgramResult result = Run({"--device-uri", "qx7port://QX-7/A1"});
    ASSERT_EQ(result.exitCode, 0) << Described(result);

    const QueueView view = ReadQueue(cupsd_->Socket(), "QX-7");
    ASSERT_TRUE(view.found);
    EXPECT_EQ(view.makeAndModel, "Quorvel QX-7 Series");
    EXPECT_EQ(view.errorPolicy, "abort-job");
    EXPECT_EQ(view.deviceUri, "qx7port://QX-7/A1");
    EXPECT_TRUE(view.accepting);
    EXPECT_EQ(view.state, IPP_PSTATE_IDLE);
    EXPECT_NE(std::find(view.formats.begin(), view.formats.end(), kCommandType),
              view.formats.end());
    const ProgramResult lpstat = cupsd_->Client("lpstat", {"-p", "QX-7"});
    EXPECT_NE(lpstat.out.find("enabled"), std::string::npos) << lpstat.out << lpstat.err;

    // A command job is taken (the type is the queue's own, not converted or refused).
    TempDir dir;
    WriteFile(dir.File("command.bin"), std::string("\x1b|10$\x00\xff", 7));
    const ProgramResult lp = cupsd_->Client(
        "lp", {"-d", "QX-7", "-o", "document-format=" + kCommandType, dir.File("command.bin")});
    EXPECT_EQ(lp.exitCode, 0) << lp.out << lp.err;
}

TEST_F(SetupPrinterCupsTest, OtherQueuesStayAndItsOwnIsReplacedOnlyWhenAsked) {
    std::string error;
    ASSERT_TRUE(cupsd_->AddQueue("office", "ipp://192.0.2.7/ipp/print", "", error)) << error;
    // The scheduler's own default is abort-job: another policy shows the queue was set anew.
    const ProgramResult added =
        cupsd_->Client("lpadmin", {"-p", "qx-7", "-E", "-v", "qx7port://QX-7/OLD", "-m", "raw",
                                   "-o", "printer-error-policy=retry-job"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const QueueView officeBefore = ReadQueue(cupsd_->Socket(), "office");
    const QueueView oldQueue = ReadQueue(cupsd_->Socket(), "qx-7");
    ASSERT_TRUE(officeBefore.found && oldQueue.found);

    const ProgramResult refused = Run({"--device-uri", "qx7port://QX-7/NEW"});
    EXPECT_EQ(refused.exitCode, 1) << Described(refused);
    const QueueView kept = ReadQueue(cupsd_->Socket(), "qx-7");
    EXPECT_EQ(kept.deviceUri, "qx7port://QX-7/OLD");
    EXPECT_EQ(kept.makeAndModel, oldQueue.makeAndModel);
    EXPECT_EQ(kept.errorPolicy, "retry-job");

    const ProgramResult replaced = Run({"--device-uri", "qx7port://QX-7/NEW", "--replace"});
    ASSERT_EQ(replaced.exitCode, 0) << Described(replaced);
    const QueueView now = ReadQueue(cupsd_->Socket(), "QX-7");
    EXPECT_EQ(now.deviceUri, "qx7port://QX-7/NEW");
    EXPECT_EQ(now.makeAndModel, "Quorvel QX-7 Series");
    EXPECT_EQ(now.errorPolicy, "abort-job");
    EXPECT_TRUE(now.accepting);

    const QueueView officeAfter = ReadQueue(cupsd_->Socket(), "office");
    EXPECT_EQ(officeAfter.deviceUri, officeBefore.deviceUri);
    EXPECT_EQ(officeAfter.makeAndModel, officeBefore.makeAndModel);
    EXPECT_EQ(officeAfter.errorPolicy, officeBefore.errorPolicy);
    const ProgramResult queues = cupsd_->Client("lpstat", {"-v"});
    EXPECT_EQ(queues.out,
              "device for office: ipp://192.0.2.7/ipp/print\n"
              "device for qx-7: qx7port://QX-7/NEW\n");
}

TEST_F(SetupPrinterCupsTest, AnOrdinaryUserIsToldToRunItAsRoot) {
    for (const char* tool : {"/usr/bin/setsid", "/usr/bin/setpriv"}) {
        if (access(tool, X_OK) != 0) {
            GTEST_SKIP() << tool << " not found";
        }
    }
    // No terminal (setsid): lpadmin and lpinfo cannot ask for a password and take the refusal.
    const Args asNobody = {"/usr/bin/setsid",  "-w",
                           "/usr/bin/setpriv", "--reuid=nobody",
                           "--regid=nogroup",  "--clear-groups"};
    const ProgramResult adding = Run({"--device-uri", "qx7port://QX-7/A1"}, asNobody);
    EXPECT_EQ(adding.exitCode, 1) << Described(adding);
    EXPECT_NE(adding.err.find("lpadmin said:"), std::string::npos) << adding.err;
    EXPECT_NE(adding.err.find("run qx7-setup-printer as root or through sudo"), std::string::npos)
        << adding.err;
    const ProgramResult searching = Run({}, asNobody);
    EXPECT_EQ(searching.exitCode, 1) << Described(searching);
    EXPECT_NE(searching.err.find("lpinfo said:"), std::string::npos) << searching.err;
    EXPECT_NE(searching.err.find("run qx7-setup-printer as root or through sudo"),
              std::string::npos)
        << searching.err;
    EXPECT_FALSE(ReadQueue(cupsd_->Socket(), "QX-7").found);
}

}  // namespace
}  // namespace qx7
