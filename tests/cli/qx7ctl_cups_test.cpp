// qx7ctl against a private CUPS scheduler, run as an ordinary user: which queues it offers,
// another computer's scheduler, and a scheduler that is not there. Root only (the scheduler).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/cups/CupsSpooler.h"
#include "core/comm/PrinterLink.h"
#include "support/ChildProcess.h"
#include "support/JobStamps.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::PrivateCupsd;

const std::string kCtl = QX7CTL_PATH;
const char kCommError[] =
    "Communication Error. Check Connection and try again. If another Communication Error "
    "occurs, QX-7 Printer needs restart. Turn QX-7 Printer OFF and ON and try again.";

// The job files of a folder, in the order the printer took them.
std::vector<std::string> JobFiles(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ".bin") {
            names.push_back(entry.path().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> jobs;
    for (const std::string& name : names) {
        jobs.push_back(test::ReadFile(name));
    }
    return jobs;
}

// Whether the queue reads as ready, as the listing asks it.
bool Ready(const std::string& server, const std::string& queue) {
    CupsSpooler spooler(server);
    PrinterHandle handle = kNoPrinterHandle;
    if (!spooler.OpenPrinter(queue, kPrinterAllAccess, handle)) {
        return false;
    }
    PrinterValueRead read;
    read.opened = true;
    read.bytes.assign(kReadyValueSize, 0xFF);
    read.status = spooler.GetPrinterData(handle, kReadyValueName, read.bytes.data(),
                                         kReadyValueSize, read.reportedSize);
    spooler.ClosePrinter(handle);
    return IsReadyAnswer(read);
}

class Qx7ctlCupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string skip = PrivateCupsd::SkipReason();
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
    }

    // A scheduler with QX-7 queues on a port that no job reaches, and a printer that, once it
    // holds a job, reports itself switched off.
    std::unique_ptr<PrivateCupsd> StartScheduler(bool loopbackPort = false) {
        auto cupsd = std::make_unique<PrivateCupsd>(loopbackPort);
        std::string error;
        EXPECT_TRUE(cupsd->Start(error)) << error;
        EXPECT_TRUE(cupsd->InstallBackend("qx7port", "#!/bin/sh\nexit 0\n"));
        EXPECT_TRUE(cupsd->InstallBackend(
            "qx7off", "#!/bin/sh\n[ $# -eq 0 ] && exit 0\n"
                      "echo 'STATE: +offline-report' >&2\nwhile :; do sleep 0.1; done\n"));
        return cupsd;
    }

    void AddQueue(PrivateCupsd& cupsd, const std::string& name, const std::string& uri,
                  bool qx7 = true) {
        std::string error;
        ASSERT_TRUE(cupsd.AddQueue(name, uri, qx7 ? PrivateCupsd::Qx7Ppd() : "", error)) << error;
    }
};

TEST_F(Qx7ctlCupsTest, ListShowsExactlyTheReadyQx7Queues) {
    auto cupsd = StartScheduler();
    AddQueue(*cupsd, "qx7-shop", "qx7port://QX-7/A1");
    AddQueue(*cupsd, "laser", "qx7port://Laser/1", false);
    AddQueue(*cupsd, "qx7-file", "file:/dev/null");
    AddQueue(*cupsd, "qx7-stopped", "qx7port://QX-7/B2");
    AddQueue(*cupsd, "qx7-rejecting", "qx7port://QX-7/C3");
    AddQueue(*cupsd, "qx7-off", "qx7off://QX-7/D4");
    AddQueue(*cupsd, "QX7-Back", "qx7port://QX-7/E5");
    ASSERT_EQ(cupsd->Client("cupsdisable", {"qx7-stopped"}).exitCode, 0);
    ASSERT_EQ(cupsd->Client("cupsreject", {"qx7-rejecting"}).exitCode, 0);
    // The switched-off printer says so once it is given a job.
    ASSERT_EQ(cupsd->Client("lp", {"-d", "qx7-off", "-o", "raw", "/etc/hostname"}).exitCode, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Ready(cupsd->Socket(), "qx7-off") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(Ready(cupsd->Socket(), "qx7-off"));

    const test::ProgramResult listed = cupsd->RunAsUser(kCtl, {"list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "QX7-Back\nqx7-shop\n");
    EXPECT_EQ(listed.err, "");
}

TEST_F(Qx7ctlCupsTest, AnotherComputersSchedulerIsReachedByItsAddress) {
    auto local = StartScheduler();
    AddQueue(*local, "qx7-here", "qx7port://QX-7/A1");
    auto remote = StartScheduler(true);
    ASSERT_GT(remote->LoopbackPort(), 0);
    AddQueue(*remote, "qx7-there", "qx7port://QX-7/B2");
    const std::string address = "127.0.0.1:" + std::to_string(remote->LoopbackPort());

    const test::ProgramResult here = local->RunAsUser(kCtl, {"list"});
    EXPECT_EQ(here.out, "qx7-here\n") << here.err;
    // The option, and libcups' own variable, each win over the local scheduler.
    const test::ProgramResult there = local->RunAsUser(kCtl, {"--cups-server", address, "list"});
    EXPECT_EQ(there.exitCode, 0) << there.err;
    EXPECT_EQ(there.out, "qx7-there\n");
    const test::ProgramResult byEnvironment =
        local->RunAsUser(kCtl, {"list"}, {{"CUPS_SERVER", address}});
    EXPECT_EQ(byEnvironment.out, "qx7-there\n") << byEnvironment.err;

    // And serviced the same way: the command reaches the printer behind the other scheduler.
    ASSERT_TRUE(remote->InstallQx7Programs(QX7_COMMAND_FILTER_PATH, QX7_PRINTER_SIM_PATH));
    const std::filesystem::path state = remote->PrinterStateFolder();
    AddQueue(*remote, "qx7-there", "qx7sim://QX-7?state=" + state.string());
    const test::ProgramResult recorded = local->RunAsUser(
        kCtl, {"--cups-server", address, "-p", "qx7-there", "record", "battery"});
    EXPECT_EQ(recorded.exitCode, 0) << recorded.err;
    EXPECT_EQ(test::ReadFile((state / "journal").string()), "record 6\n");
}

TEST_F(Qx7ctlCupsTest, NoSchedulerFailsTheListingWithTheCause) {
    auto cupsd = StartScheduler();
    const std::string socket = cupsd->Socket();
    ASSERT_TRUE(cupsd->Stop());
    const auto start = std::chrono::steady_clock::now();
    const test::ProgramResult listed = cupsd->RunAsUser(kCtl, {"list"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // a hang only
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_EQ(listed.out, "");
    EXPECT_NE(listed.err.find("cannot reach the CUPS scheduler at " + socket), std::string::npos)
        << listed.err;
    EXPECT_NE(listed.err.find("QX-7"), std::string::npos) << listed.err;  // the not-found message

    // A scheduler without any queue is reached: nothing to list, and no cause to name.
    auto empty = StartScheduler();
    const test::ProgramResult none = empty->RunAsUser(kCtl, {"list"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err.find("cannot reach"), std::string::npos) << none.err;
}

// Every operation through the queue, its filter and the simulator as its backend, as an
// ordinary user: it succeeds, and the printer gets the same jobs (time stamps aside) and
// carries out the same commands as through the simulator's spool folder.
TEST_F(Qx7ctlCupsTest, EveryOperationSendsTheSameJobsAsThroughTheSpoolFolder) {
    auto cupsd = StartScheduler();
    ASSERT_TRUE(cupsd->InstallQx7Programs(QX7_COMMAND_FILTER_PATH, QX7_PRINTER_SIM_PATH));
    const std::filesystem::path state = cupsd->PrinterStateFolder();
    AddQueue(*cupsd, "QX-7", "qx7sim://QX-7?state=" + state.string());

    test::TempDir spool;
    const std::string standInJobs = spool.File("jobs");
    std::filesystem::create_directories(standInJobs);
    test::ChildProcess simulator(QX7_PRINTER_SIM_PATH,
                                 {"--spool", spool.Path().string(), "--name", "QX-7", "--journal",
                                  spool.File("journal"), "--jobs-dir", standInJobs, "--quiet"},
                                 spool.File("sim.log"));
    ASSERT_TRUE(test::WaitForPath(spool.File("QX-7.sock"))) << test::ReadFile(spool.File("sim.log"));

    const std::vector<std::vector<std::string>> operations = {
        {"set-clock", "--time", "2026-01-02 03:04:05"},
        {"record", "battery"},
        {"record", "pump"},
        {"record", "carriage-motor"},
        {"reset", "statistics"},
        {"reset", "ip"},
        {"reset", "tube-warning"},
        {"carriage-speed"},
        {"thermistor", "--fahrenheit", "68"},
    };
    const test::EnvList env = {{"TZ", "UTC"}, {"LANG", "C"}, {"LC_ALL", "C"}};
    const auto from = static_cast<std::uint32_t>(std::time(nullptr));
    for (const auto& operation : operations) {
        std::vector<std::string> args = {"-p", "QX-7"};
        args.insert(args.end(), operation.begin(), operation.end());
        const test::ProgramResult throughCups = cupsd->RunAsUser(kCtl, args, env);
        EXPECT_EQ(throughCups.exitCode, 0) << operation[0] << ": " << throughCups.err;
        args.insert(args.begin(), {"--spool", spool.Path().string()});
        const test::ProgramResult throughFolder = test::RunProgram(kCtl, args, env);
        EXPECT_EQ(throughFolder.exitCode, 0) << operation[0] << ": " << throughFolder.err;
    }
    const auto to = static_cast<std::uint32_t>(std::time(nullptr));

    EXPECT_EQ(test::ReadFile((state / "journal").string()), test::ReadFile(spool.File("journal")));
    const std::vector<std::string> cupsJobs = JobFiles(state / "jobs");
    const std::vector<std::string> folderJobs = JobFiles(standInJobs);
    ASSERT_EQ(cupsJobs.size(), 10u);  // "reset statistics" sends two
    ASSERT_EQ(folderJobs.size(), cupsJobs.size());
    for (std::size_t i = 0; i < cupsJobs.size(); ++i) {
        std::string problem;
        const std::string cupsJob = test::WithoutStamps(cupsJobs[i], from - 1, to + 1, problem);
        EXPECT_EQ(problem, "") << i;
        const std::string folderJob = test::WithoutStamps(folderJobs[i], from - 1, to + 1, problem);
        EXPECT_TRUE(cupsJob == folderJob) << "job " << i;
    }
}

// Each fault of the printer behind the queue, with the message and code qx7ctl shows. A
// switched-off printer is not seen before the job (the queue looks ready): no reply.
TEST_F(Qx7ctlCupsTest, EachFaultShowsTheCommunicationErrorWithItsCode) {
    auto cupsd = StartScheduler();
    ASSERT_TRUE(cupsd->InstallQx7Programs(QX7_COMMAND_FILTER_PATH, QX7_PRINTER_SIM_PATH));
    const std::pair<const char*, const char*> faults[] = {
        {"refuse", "(-12)"}, {"garble", "(-11)"}, {"silent", "(-31)"}, {"offline", "(-31)"}};
    for (const auto& [fault, code] : faults) {
        AddQueue(*cupsd, "QX-7", std::string("qx7sim://QX-7?fault=") + fault);
        const auto start = std::chrono::steady_clock::now();
        const test::ProgramResult result =
            cupsd->RunAsUser(kCtl, {"-p", "QX-7", "carriage-speed"}, {{"LANG", "C"}});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << fault;
        EXPECT_EQ(result.exitCode, 1) << fault;
        EXPECT_NE(result.err.find(std::string(kCommError) + " " + code), std::string::npos)
            << fault << ": " << result.err;
    }
}

TEST(Qx7ctlCupsOptionsTest, SchedulerAndSpoolFolderExcludeEachOther) {
    const test::ProgramResult both =
        test::RunProgram(kCtl, {"--cups-server", "localhost", "--spool", "/tmp", "list"});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
}

}  // namespace
}  // namespace qx7
