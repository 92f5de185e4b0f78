// qx7ctl against a private CUPS scheduler, run as an ordinary user: which queues it offers,
// another computer's scheduler, and a scheduler that is not there. Root only (the scheduler).

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/cups/CupsSpooler.h"
#include "core/comm/PrinterLink.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::PrivateCupsd;

const std::string kCtl = QX7CTL_PATH;

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

TEST(Qx7ctlCupsOptionsTest, SchedulerAndSpoolFolderExcludeEachOther) {
    const test::ProgramResult both =
        test::RunProgram(kCtl, {"--cups-server", "localhost", "--spool", "/tmp", "list"});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
}

}  // namespace
}  // namespace qx7
