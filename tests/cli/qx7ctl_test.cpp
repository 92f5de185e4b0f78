// qx7ctl against the real simulator process: what reaches the printer is read from the
// simulator's journal.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/app/PrinterList.h"
#include "core/app/QVJServToolApp.h"
#include "core/base/LocalTime.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolDirectory.h"
#include "support/ChildProcess.h"
#include "support/FakeMonitor.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const std::string kCtl = QX7CTL_PATH;
const std::string kSim = QX7_PRINTER_SIM_PATH;
const char kCommError[] =
    "Communication Error. Check Connection and try again. If another Communication Error "
    "occurs, QX-7 Printer needs restart. Turn QX-7 Printer OFF and ON and try again.";

class Qx7ctlTest : public ::testing::Test {
  protected:
    // Starts a simulated printer and waits until its socket answers.
    void StartSim(const std::string& name = "QX-7 Simulator", const std::string& fault = "none",
                  const std::vector<std::string>& more = {}) {
        const std::string journal = dir.File(name + ".journal");
        journals.push_back(journal);
        std::vector<std::string> args{"--spool", dir.Path().string(), "--name", name, "--fault",
                                      fault,     "--journal",         journal};
        args.insert(args.end(), more.begin(), more.end());
        sims.push_back(std::make_unique<test::ChildProcess>(kSim, args, dir.File(name + ".log")));
        ASSERT_TRUE(test::WaitForPath(SocketOf(name))) << test::ReadFile(dir.File(name + ".log"));
    }
    std::string SocketOf(const std::string& name) const {
        std::string stem = name;
        for (char& c : stem) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') {
                c = '_';
            }
        }
        return dir.File(stem + ".sock");
    }
    test::ProgramResult Ctl(std::vector<std::string> args, const test::EnvList& env = {}) {
        args.insert(args.begin(), {"--spool", dir.Path().string()});
        test::EnvList all{{"LANG", "C"}, {"LC_ALL", "C"}};
        all.insert(all.end(), env.begin(), env.end());
        return test::RunProgram(kCtl, args, all);
    }
    std::string Journal(std::size_t i = 0) const { return test::ReadFile(journals.at(i)); }

    test::TempDir dir;
    std::vector<std::string> journals;
    std::vector<std::unique_ptr<test::ChildProcess>> sims;
};

TEST_F(Qx7ctlTest, EveryOperationReachesThePrinter) {
    StartSim();
    const auto listed = Ctl({"list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "QX-7 Simulator\n");

    const std::vector<std::vector<std::string>> commands = {
        {"record", "battery"},
        {"record", "pump"},
        {"record", "carriage-motor"},
        {"reset", "statistics"},
        {"reset", "ip"},
        {"reset", "tube-warning"},
        {"carriage-speed"},
        {"thermistor", "--fahrenheit", "75"},
        {"thermistor", "--celsius", "35.2"},
        {"-p", "QX-7 Simulator", "set-clock", "--time", "2015-02-30 10:00:00"},
        {"set-clock"},
    };
    for (const auto& command : commands) {
        const auto result = Ctl(command, {{"TZ", "UTC"}});
        EXPECT_EQ(result.exitCode, 0) << command[0] << ": " << result.err;
    }
    const std::string journal = Journal();
    const std::string expectedStart =
        "record 6\nrecord 4\nrecord 5\nrecord 2\naddress 0 0 0\naddress 0 0 0\nrecord 3\n"
        "carriage-speed\nthermistor 75\nthermistor 95\n"
        // 2015-03-02 10:00:00 UTC (February 30 rolls over) counted from 2000-01-01.
        "clock 478605600\nclock ";
    EXPECT_EQ(journal.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 12);
}

TEST_F(Qx7ctlTest, ClockFollowsTheZoneOfTheTypedTime) {
    StartSim();
    // Tokyo is nine hours ahead: the same wall-clock time is 32400 s earlier in UTC.
    ASSERT_EQ(Ctl({"set-clock", "--time", "2015-03-02 10:00:00"}, {{"TZ", "Asia/Tokyo"}}).exitCode,
              0);
    // Local 2000-01-01 00:00 in Tokyo is before the printer's epoch: sent as 0.
    ASSERT_EQ(Ctl({"set-clock", "--time", "2000-01-01 00:00:00"}, {{"TZ", "Asia/Tokyo"}}).exitCode,
              0);
    EXPECT_EQ(Journal(), "clock 478573200\nclock 0\n");
}

TEST_F(Qx7ctlTest, ClockInZonesWithDaylightTime) {
    StartSim();
    struct Case {
        const char* zone;
        const char* typed;
        CivilTime utc;  // the typed wall-clock time in UTC
    };
    const Case cases[] = {
        {"Europe/Berlin", "2015-01-15 12:00:00", {2015, 1, 15, 11, 0, 0}},
        {"Europe/Berlin", "2015-07-15 12:00:00", {2015, 7, 15, 10, 0, 0}},
        {"America/New_York", "2015-01-15 12:00:00", {2015, 1, 15, 17, 0, 0}},
        {"America/New_York", "2015-07-15 12:00:00", {2015, 7, 15, 16, 0, 0}},
        // 1 January is in daylight time here: the base of the count must not move with it.
        {"Australia/Sydney", "2015-01-15 12:00:00", {2015, 1, 15, 1, 0, 0}},
        {"Australia/Sydney", "2015-07-15 12:00:00", {2015, 7, 15, 2, 0, 0}},
    };
    std::string expected;
    for (const Case& c : cases) {
        ASSERT_EQ(Ctl({"set-clock", "--time", c.typed}, {{"TZ", c.zone}}).exitCode, 0);
        // True UTC seconds since 2000, whatever the season today.
        expected += "clock " + std::to_string(SecondsFromUtc(c.utc) - 946684800) + "\n";
    }
    EXPECT_EQ(Journal(), expected);
}

TEST_F(Qx7ctlTest, OfflinePrinterIsNotListedAndGetsNothing) {
    StartSim("QX-7 Simulator", "offline");
    const auto listed = Ctl({"list"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_NE(listed.err.find("QX-7 Printer not found."), std::string::npos) << listed.err;
    const auto result = Ctl({"-p", "QX-7 Simulator", "record", "battery"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "qx7ctl: printer \"QX-7 Simulator\" is not ready (check its connection and "
              "power); nothing was sent\n");
    EXPECT_EQ(Journal(), "");
}

TEST_F(Qx7ctlTest, SilentPrinterCostsSixCyclesAndMinusThirtyOne) {
    StartSim("QX-7 Simulator", "silent");
    const auto result = Ctl({"carriage-speed"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(std::string(kCommError) + " (-31)"), std::string::npos) << result.err;
    EXPECT_GE(result.seconds, 2.9);
    EXPECT_EQ(Journal(), "carriage-speed\n");
}

TEST_F(Qx7ctlTest, RefusingPrinterFailsWithStatusCode) {
    StartSim("QX-7 Simulator", "refuse");
    auto result = Ctl({"record", "pump"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(std::string(kCommError) + " (-12)"), std::string::npos);
    // The statistics reset failed: the address reset is not sent.
    result = Ctl({"reset", "statistics"});
    EXPECT_EQ(result.exitCode, 1);
    // A refused calibration gets the calibration page's own text.
    result = Ctl({"thermistor", "--fahrenheit", "70"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "qx7ctl: The input value is far from the present temperature. Input the "
              "appropriate value.\n");
    EXPECT_EQ(Journal(), "record 4\nrecord 2\nthermistor 70\n");
}

TEST_F(Qx7ctlTest, GarbledReplyFailsTheHeaderCheck) {
    StartSim("QX-7 Simulator", "garble");
    const auto result = Ctl({"reset", "tube-warning"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(std::string(kCommError) + " (-11)"), std::string::npos);
    EXPECT_EQ(Journal(), "record 3\n");
}

TEST_F(Qx7ctlTest, TemperatureOutsideTheRoomRangeIsNotSent) {
    StartSim();
    auto result = Ctl({"thermistor", "--fahrenheit", "95.5"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "qx7ctl: Input Temperature is out of range.(-61) (96 F)\n");
    result = Ctl({"thermistor", "--celsius", "9.7"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "qx7ctl: Input Temperature is out of range.(-61) (49 F)\n");
    EXPECT_EQ(Ctl({"thermistor", "--celsius", "1e300"}).exitCode, 1);
    EXPECT_EQ(Journal(), "");
}

TEST_F(Qx7ctlTest, UsageErrorsExitTwoAndSendNothing) {
    StartSim();
    EXPECT_EQ(Ctl({"record", "heads"}).exitCode, 2);
    EXPECT_EQ(Ctl({"thermistor"}).exitCode, 2);
    EXPECT_EQ(Ctl({"thermistor", "--fahrenheit", "70", "--celsius", "20"}).exitCode, 2);
    EXPECT_EQ(Ctl({"set-clock", "--time", "2015-13-01 00:00:00"}).exitCode, 2);
    EXPECT_EQ(Ctl({"set-clock", "--time", "1999-12-31 23:59:59"}).exitCode, 2);
    EXPECT_EQ(Ctl({"set-clock", "--time", "2015-02-01"}).exitCode, 2);
    EXPECT_EQ(Ctl({}).exitCode, 2);
    EXPECT_EQ(Journal(), "");
}

TEST_F(Qx7ctlTest, EmptyPrinterNameIsANameNotAChoice) {
    StartSim();
    // Only an absent -p takes the only ready printer; an empty one names no printer at all.
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"-p", "", "record", "battery"},
          std::vector<std::string>{"--printer", "", "reset", "statistics"}}) {
        const auto result = Ctl(command);
        EXPECT_EQ(result.exitCode, 1) << command[0];
        EXPECT_EQ(result.err, "qx7ctl: no printer named \"\"; printers: QX-7 Simulator\n")
            << command[0];
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(Journal(), "");
    EXPECT_EQ(Ctl({"record", "battery"}).exitCode, 0);
    EXPECT_EQ(Journal(), "record 6\n");
}

TEST_F(Qx7ctlTest, SeveralPrintersNeedAChoice) {
    StartSim("QX-7 B");
    StartSim("QX-7 A");
    const auto listed = Ctl({"list"});
    EXPECT_EQ(listed.out, "QX-7 A\nQX-7 B\n");
    EXPECT_EQ(Ctl({"carriage-speed"}).exitCode, 2);
    EXPECT_EQ(Ctl({"-p", "QX-7 B", "carriage-speed"}).exitCode, 0);
    EXPECT_EQ(Journal(0), "carriage-speed\n");
    EXPECT_EQ(Journal(1), "");
}

// `qx7ctl list` and the printer selection page list the same spool directory alike: one
// listing, one filter, one readiness check.
TEST_F(Qx7ctlTest, ListsWhatThePrinterSelectionPageOffers) {
    StartSim("QX-7 B");
    StartSim("QX-7 A");
    test::WriteFile(dir.File("Dead.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Dead\ndriver=Quorvel QX-7\nport=USB009\n");
    test::WriteFile(dir.File("Office.printer"),
                    "QX7-PRINTER 1\nname=Office\ndriver=Generic PCL\nport=USB002\n");
    const auto listed = Ctl({"list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;

    test::RecordingMessageSink sink;
    CQVJServToolApp app(sink);
    SpoolDirectory spooler(dir.Path().string());
    SystemSleeper sleeper;
    SystemLocalTime clock;
    app.Printer().SetServices(&spooler, &sleeper, &clock);
    const PrinterListResult page = FillPrinterList(app);
    ASSERT_TRUE(page.filled);
    std::string offered;
    for (const std::string& name : page.names) {
        offered += name + "\n";
    }
    EXPECT_EQ(listed.out, offered);
    EXPECT_EQ(offered, "QX-7 A\nQX-7 B\n");
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Journal(0) + Journal(1), "");
}

TEST_F(Qx7ctlTest, SwitchedOffAndMalformedPrintersAreNotListed) {
    StartSim();
    test::WriteFile(dir.File("Dead.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Dead\ndriver=Quorvel QX-7\nport=USB009\n");
    test::WriteFile(dir.File("Junk.printer"), "QX7-PRINTER 1\nname=\x01\n");
    test::WriteFile(dir.File("Huge.printer"), std::string(100000, 'x'));
    // Bytes that are not UTF-8, and stems outside the alphabet, are never listed or printed,
    // even with a monitor that answers behind them.
    test::WriteFile(dir.File("Latin1.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Caf\xE9\ndriver=Quorvel QX-7\nport=USB001\n");
    test::WriteFile(dir.File("Odd stem.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Odd\ndriver=Quorvel QX-7\nport=USB001\n");
    for (const char* socket : {"Latin1.sock", "Odd stem.sock"}) {
        ASSERT_EQ(symlink(SocketOf("QX-7 Simulator").c_str(), dir.File(socket).c_str()), 0);
    }
    const auto listed = Ctl({"list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "QX-7 Simulator\n");
    const auto result = Ctl({"-p", "QX-7 Dead", "record", "battery"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("\"QX-7 Dead\" is not ready"), std::string::npos) << result.err;
    // Malformed files install nothing: their names are not offered either.
    const auto odd = Ctl({"-p", "QX-7 Odd", "record", "battery"});
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_EQ(odd.err,
              "qx7ctl: no printer named \"QX-7 Odd\"; printers: QX-7 Dead, QX-7 Simulator\n");
    EXPECT_EQ(Journal(), "");
}

TEST_F(Qx7ctlTest, PrinterNameNoSpoolerKnowsIsNamedWithTheOnesThatExist) {
    const auto none = Ctl({"-p", "QX-7 Simulator", "record", "battery"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "qx7ctl: no printer named \"QX-7 Simulator\"; no printer is installed\n");
    StartSim("QX-7 B");
    StartSim("QX-7 A");
    // Installed printers that the listing leaves out are named too: they exist.
    test::WriteFile(dir.File("Office.printer"),
                    "QX7-PRINTER 1\nname=Office\ndriver=Generic PCL\nport=USB002\n");
    const auto typo = Ctl({"-p", "QX-7 C", "carriage-speed"});
    EXPECT_EQ(typo.exitCode, 1);
    EXPECT_EQ(typo.err, "qx7ctl: no printer named \"QX-7 C\"; printers: Office, QX-7 A, QX-7 B\n");
    EXPECT_EQ(typo.out, "");
    EXPECT_EQ(Journal(0) + Journal(1), "");
}

TEST_F(Qx7ctlTest, PrinterTheListingWouldNotOfferIsSentNothing) {
    using test::FakeMonitor;
    // Monitors that report ready and take any job: what is refused is refused by the tool.
    struct Other {
        const char* stem;
        const char* description;
        const char* expected;
    } others[] = {
        {"office", "name=Office\ndriver=Generic PCL 6\nport=USB002\n",
         "qx7ctl: printer \"Office\" is not a QX-7 printer (driver \"Generic PCL 6\"); nothing "
         "was sent\n"},
        {"file", "name=QX-7 to file\ndriver=Quorvel QX-7\nport=FILE:\n",
         "qx7ctl: printer \"QX-7 to file\" prints to a file (port \"FILE:\"); nothing was "
         "sent\n"},
        {"fileoutput", "name=QX-7 FileOutput\ndriver=Quorvel QX-7\nport=USB003\n",
         "qx7ctl: printer \"QX-7 FileOutput\" prints to a file (its name contains "
         "\"FileOutput\"); nothing was sent\n"},
    };
    std::vector<std::unique_ptr<FakeMonitor>> monitors;
    for (const Other& other : others) {
        test::WriteFile(dir.File(std::string(other.stem) + ".printer"),
                        std::string("QX7-PRINTER 1\n") + other.description);
        monitors.push_back(
            std::make_unique<FakeMonitor>(dir.File(std::string(other.stem) + ".sock"),
                                          FakeMonitor::Step::kNone, FakeMonitor::Manner::kSilent));
        ASSERT_TRUE(monitors.back()->Listening());
    }
    const std::vector<std::string> name = {"Office", "QX-7 to file", "QX-7 FileOutput"};
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"record", "battery"},
              std::vector<std::string>{"reset", "statistics"},
              std::vector<std::string>{"thermistor", "--celsius", "22"},
              std::vector<std::string>{"set-clock"}}) {
            std::vector<std::string> args{"-p", name[i]};
            args.insert(args.end(), command.begin(), command.end());
            const auto result = Ctl(args);
            EXPECT_EQ(result.exitCode, 1) << name[i];
            EXPECT_EQ(result.err, others[i].expected);
            EXPECT_EQ(result.out, "");
        }
        // Not even asked whether it is ready, and no document started.
        EXPECT_EQ(monitors[i]->readyChecks, 0) << name[i];
        EXPECT_EQ(monitors[i]->documents, 0) << name[i];
        EXPECT_EQ(monitors[i]->writes, 0) << name[i];
    }
    EXPECT_EQ(Ctl({"list"}).exitCode, 1);

    // The same kind of monitor behind a QX-7 record does get the job.
    test::WriteFile(dir.File("qx.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Real\ndriver=Quorvel QX-7\nport=USB004\n");
    FakeMonitor qx(dir.File("qx.sock"), FakeMonitor::Step::kNone, FakeMonitor::Manner::kSilent);
    ASSERT_TRUE(qx.Listening());
    // (This monitor's reply is no real one: only the job's way there counts here.)
    const auto sent = Ctl({"-p", "QX-7 Real", "record", "battery"});
    EXPECT_EQ(sent.err.find("nothing was sent"), std::string::npos) << sent.err;
    EXPECT_EQ(qx.documents, 1);
    EXPECT_EQ(qx.writes, 1);
}

TEST_F(Qx7ctlTest, StaleDescriptionOfTheSameNameDoesNotHideTheRealPrinter) {
    StartSim();
    // Left behind by an earlier installation, and first in byte order.
    test::WriteFile(dir.File("A-stale.printer"),
                    "QX7-PRINTER 1\nname=QX-7 Simulator\ndriver=Quorvel QX-7\nport=USB007\n");
    const auto listed = Ctl({"list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "QX-7 Simulator\n");
    const auto named = Ctl({"-p", "QX-7 Simulator", "record", "battery"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(Ctl({"record", "pump"}).exitCode, 0);
    EXPECT_EQ(Journal(), "record 6\nrecord 4\n");
}

TEST_F(Qx7ctlTest, SilentMonitorsDoNotHoldUpTheListing) {
    using test::FakeMonitor;
    constexpr int kSilent = 30;
    std::vector<std::unique_ptr<FakeMonitor>> silent;
    for (int i = 0; i < kSilent; ++i) {
        const std::string stem = "silent" + std::to_string(i);
        test::WriteFile(dir.File(stem + ".printer"), "QX7-PRINTER 1\nname=QX-7 " + stem +
                                                         "\ndriver=Quorvel QX-7\nport=USB001\n");
        silent.push_back(std::make_unique<FakeMonitor>(dir.File(stem + ".sock"),
                                                       FakeMonitor::Step::kReadyCheck,
                                                       FakeMonitor::Manner::kSilent));
        ASSERT_TRUE(silent.back()->Listening());
    }
    StartSim("zz QX-7 Real");  // after every silent one in the spooler's order
    const auto listed = Ctl({"list"});
    std::printf("[ measured ] qx7ctl list with %d silent monitors: %.2f s\n", kSilent,
                listed.seconds);
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "zz QX-7 Real\n");
    // One after another: 2 s each, a minute in all. The listing's deadline is 10 s.
    EXPECT_LT(listed.seconds, 15.0);
    // Without -p the only ready printer is chosen from the same listing.
    const auto chosen = Ctl({"carriage-speed"});
    EXPECT_EQ(chosen.exitCode, 0) << chosen.err;
    EXPECT_LT(chosen.seconds, 15.0 + 5.0);
    EXPECT_EQ(Journal(), "carriage-speed\n");
}

// A reader of the listing that has gone (`qx7ctl list | head -0`) ends qx7ctl by SIGPIPE
// without a word, as other command-line tools end.
TEST_F(Qx7ctlTest, AClosedPipeEndsTheListingQuietly) {
    StartSim();
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);
    const std::string errFile = dir.File("ctl.err");
    const std::string spool = dir.Path().string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 1);
        const int errFd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(errFd, 2);
        std::signal(SIGPIPE, SIG_DFL);  // as a shell starts a command
        ::execl(kCtl.c_str(), kCtl.c_str(), "--spool", spool.c_str(), "list",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
    EXPECT_EQ(test::ReadFile(errFile), "");
}

TEST_F(Qx7ctlTest, UnsafeOrMissingSpoolDirectory) {
    const auto missing = test::RunProgram(kCtl, {"--spool", dir.File("none"), "list"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("QX-7 Printer not found."), std::string::npos);
    const std::string link = dir.File("link");
    ASSERT_EQ(symlink(dir.Path().c_str(), link.c_str()), 0);
    const auto slashed = test::RunProgram(kCtl, {"--spool", link + "/", "list"});
    EXPECT_EQ(slashed.exitCode, 1);
    EXPECT_NE(slashed.err.find("is not a directory"), std::string::npos) << slashed.err;
    chmod(dir.Path().c_str(), 0777);
    const auto open = Ctl({"list"});
    EXPECT_EQ(open.exitCode, 1);
    EXPECT_NE(open.err.find("writable by others"), std::string::npos) << open.err;
    // The environment names the directory when no option does.
    chmod(dir.Path().c_str(), 0700);
    StartSim();
    const auto viaEnv = test::RunProgram(kCtl, {"list"}, {{"QX7_SPOOL_DIR", dir.Path().string()}});
    EXPECT_EQ(viaEnv.out, "QX-7 Simulator\n");
}

TEST_F(Qx7ctlTest, SimulatorRemovesItselfOnSignals) {
    StartSim("QX-7 Simulator");
    StartSim("QX-7 Other");
    EXPECT_EQ(sims[0]->Stop(SIGTERM), 0);
    EXPECT_EQ(sims[1]->Stop(SIGINT), 0);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".printer") || name.ends_with(".sock")) {
            left.push_back(name);
        }
    }
    EXPECT_TRUE(left.empty());
    EXPECT_EQ(Ctl({"list"}).exitCode, 1);
}

TEST_F(Qx7ctlTest, SimulatorRefusesASecondPrinterOfTheSameName) {
    StartSim();
    const auto second = test::RunProgram(
        kSim, {"--spool", dir.Path().string(), "--journal", dir.File("second.journal")});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(Ctl({"list"}).out, "QX-7 Simulator\n");
}

}  // namespace
}  // namespace qx7
