// The printer link's view of a CUPS scheduler: the queues as printer records and each queue's
// readiness, against a private scheduler (root only), and the rules that need none.

#include "platform/cups/CupsSpooler.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "core/comm/PrinterLink.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::PrivateCupsd;

TEST(CupsRulesTest, FileDeviceIsTheFilePortAndOthersKeepTheirUri) {
    EXPECT_EQ(PortOfDeviceUri("file:/dev/null"), "FILE:");
    EXPECT_EQ(PortOfDeviceUri("file:///tmp/out.prn"), "FILE:");
    EXPECT_EQ(PortOfDeviceUri("usb://Quorvel/QX-7?serial=1"), "usb://Quorvel/QX-7?serial=1");
    EXPECT_EQ(PortOfDeviceUri("ipp://host/printers/file"), "ipp://host/printers/file");
}

TEST(CupsRulesTest, ReadinessNeedsAnIdleOrBusyAcceptingQueueWithoutHoldingReasons) {
    constexpr int kIdle = 3, kProcessing = 4, kStopped = 5;
    EXPECT_TRUE(QueueReady(kIdle, true, {"none"}));
    EXPECT_TRUE(QueueReady(kProcessing, true, {}));
    EXPECT_TRUE(QueueReady(kIdle, true, {"media-low-report", "toner-low-warning"}));
    EXPECT_FALSE(QueueReady(kStopped, true, {"none"}));
    EXPECT_FALSE(QueueReady(kIdle, false, {"none"}));
    for (const char* reason : {"offline-report", "offline", "paused", "shutdown", "stopped",
                               "shutdown-error", "stopped-warning"}) {
        EXPECT_FALSE(QueueReady(kIdle, true, {"media-low-report", reason})) << reason;
    }
    // A reason that merely starts like one of them does not hold the queue.
    EXPECT_TRUE(QueueReady(kIdle, true, {"offline-something-else", "paused-ish"}));
}

TEST(CupsRulesTest, UnreachableServerNamesFailTheListing) {
    for (const char* server :
         {"127.0.0.1:1", "127.0.0.1:99999999999999999999", "[::1]:1", "/nonexistent/cups.sock"}) {
        CupsSpooler spooler(server, 2000);
        std::vector<PrinterRecord> records;
        EXPECT_FALSE(spooler.EnumPrinters(records)) << server;
    }
}

// A scheduler that takes the connection and never answers must not hold the listing.
TEST(CupsSilentSchedulerTest, ListingAndOpenGiveUpWithinTheDeadline) {
    test::TempDir dir;
    const std::string path = dir.File("silent.sock");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 8), 0);

    CupsSpooler spooler(path, 1000);
    const auto start = std::chrono::steady_clock::now();
    std::vector<PrinterRecord> records;
    EXPECT_FALSE(spooler.EnumPrinters(records));
    PrinterHandle handle = kNoPrinterHandle;
    EXPECT_FALSE(spooler.OpenPrinter("qx7", kPrinterAllAccess, handle));
    // Two requests of 1 s each; the bound is generous, only a hang exceeds it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    close(listener);
}

// A scheduler of the test's own with the queues the listing must tell apart.
class CupsSpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string skip = PrivateCupsd::SkipReason();
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        cupsd_ = std::make_unique<PrivateCupsd>();
        std::string error;
        ASSERT_TRUE(cupsd_->Start(error)) << error;
        const std::string ppd = PrivateCupsd::Qx7Ppd();
        // A printer port for the QX-7 queues; no job reaches it here.
        ASSERT_TRUE(cupsd_->InstallBackend("qx7port", "#!/bin/sh\nexit 0\n"));
        ASSERT_TRUE(cupsd_->AddQueue("qx7-office", "qx7port://QX-7/A1", ppd, error)) << error;
        ASSERT_TRUE(cupsd_->AddQueue("laser", "ipp://192.0.2.7/ipp/print", "", error)) << error;
        ASSERT_TRUE(cupsd_->AddQueue("qx7-stopped", "qx7port://QX-7/B2", ppd, error)) << error;
        ASSERT_TRUE(cupsd_->AddQueue("qx7-rejecting", "qx7port://QX-7/C3", ppd, error)) << error;
        ASSERT_TRUE(cupsd_->AddQueue("qx7-file", "file:/dev/null", ppd, error)) << error;
        ASSERT_EQ(cupsd_->Client("cupsdisable", {"qx7-stopped"}).exitCode, 0);
        ASSERT_EQ(cupsd_->Client("cupsreject", {"qx7-rejecting"}).exitCode, 0);
    }

    // Opens the queue and reads its readiness as the link does; the answer, or nothing.
    PrinterValueRead Readiness(CupsSpooler& spooler, const std::string& queue) {
        PrinterValueRead read;
        PrinterHandle handle = kNoPrinterHandle;
        read.opened = spooler.OpenPrinter(queue, kPrinterAllAccess, handle);
        if (read.opened) {
            read.bytes.assign(kReadyValueSize, 0xFF);
            read.status = spooler.GetPrinterData(handle, kReadyValueName, read.bytes.data(),
                                                 kReadyValueSize, read.reportedSize);
            spooler.ClosePrinter(handle);
        }
        return read;
    }

    std::unique_ptr<PrivateCupsd> cupsd_;
};

TEST_F(CupsSpoolerTest, ListsEveryQueueInTheSchedulersOrderWithModelAndPort) {
    CupsSpooler spooler(cupsd_->Socket());
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    ASSERT_EQ(records.size(), 5u);
    // The scheduler keeps its queues sorted by name.
    EXPECT_EQ(records[0].name, "laser");
    EXPECT_EQ(records[1].name, "qx7-file");
    EXPECT_EQ(records[2].name, "qx7-office");
    EXPECT_EQ(records[3].name, "qx7-rejecting");
    EXPECT_EQ(records[4].name, "qx7-stopped");

    EXPECT_EQ(records[2].driverName, "Quorvel QX-7 Series");
    EXPECT_EQ(records[2].portName, "qx7port://QX-7/A1");
    EXPECT_EQ(records[1].portName, "FILE:");
    EXPECT_EQ(records[0].portName, "ipp://192.0.2.7/ipp/print");
    EXPECT_EQ(records[0].driverName.find("Quorvel"), std::string::npos) << records[0].driverName;

    // The listing's filter sees them as the Windows spooler's records.
    EXPECT_EQ(FilterPrinterRecord(records[0]), PrinterVerdict::kOtherDriver);
    EXPECT_EQ(FilterPrinterRecord(records[1]), PrinterVerdict::kFilePort);
    EXPECT_EQ(FilterPrinterRecord(records[2]), PrinterVerdict::kListed);
}

TEST_F(CupsSpoolerTest, ReadinessFollowsTheQueuesState) {
    CupsSpooler spooler(cupsd_->Socket());
    const PrinterValueRead office = Readiness(spooler, "qx7-office");
    EXPECT_TRUE(IsReadyAnswer(office));
    EXPECT_EQ(office.reportedSize, kReadyValueSize);
    for (const char* queue : {"qx7-stopped", "qx7-rejecting"}) {
        const PrinterValueRead read = Readiness(spooler, queue);
        EXPECT_TRUE(read.opened) << queue;
        EXPECT_EQ(read.status, kSpoolSuccess) << queue;
        EXPECT_FALSE(IsReadyAnswer(read)) << queue;
    }
    // Enabled and accepting again: ready again.
    ASSERT_EQ(cupsd_->Client("cupsenable", {"qx7-stopped"}).exitCode, 0);
    EXPECT_TRUE(IsReadyAnswer(Readiness(spooler, "qx7-stopped")));
}

// What a technician without root sees: the same listing and readiness as root.
TEST_F(CupsSpoolerTest, AnOrdinaryUserSeesTheSameListingAndReadiness) {
    auto view = [this](CupsSpooler& spooler) {
        std::string text;
        std::vector<PrinterRecord> records;
        if (!spooler.EnumPrinters(records)) {
            return std::string("no listing");
        }
        for (const PrinterRecord& record : records) {
            text += record.name + "|" + record.driverName + "|" + record.portName + "|" +
                    (IsReadyAnswer(Readiness(spooler, record.name)) ? "ready" : "not ready") + "\n";
        }
        return text;
    };
    CupsSpooler asRoot(cupsd_->Socket());
    const std::string rootView = view(asRoot);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(2);
        }
        CupsSpooler asUser(cupsd_->Socket());
        const std::string text = view(asUser);
        const bool written =
            write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(written ? 0 : 3);
    }
    close(fds[1]);
    std::string userView;
    char chunk[4096];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof(chunk))) > 0;) {
        userView.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(rootView.find("qx7-office|Quorvel QX-7 Series|qx7port://QX-7/A1|ready\n"),
              std::string::npos)
        << rootView;
    EXPECT_NE(rootView.find("qx7-stopped|Quorvel QX-7 Series|qx7port://QX-7/B2|not ready\n"),
              std::string::npos)
        << rootView;
    EXPECT_EQ(userView, rootView);
}

TEST_F(CupsSpoolerTest, UnknownQueueDoesNotOpenAndForeignHandlesAreRefused) {
    CupsSpooler spooler(cupsd_->Socket());
    PrinterHandle handle = 42;
    EXPECT_FALSE(spooler.OpenPrinter("no-such-queue", kPrinterAllAccess, handle));
    EXPECT_EQ(handle, kNoPrinterHandle);
    unsigned char buffer[kReadyValueSize] = {};
    std::uint32_t size = 0;
    EXPECT_EQ(spooler.GetPrinterData(99, kReadyValueName, buffer, sizeof(buffer), size),
              kSpoolInvalidHandle);

    // A queue deleted after it was opened is not ready, never ready by default.
    ASSERT_TRUE(spooler.OpenPrinter("qx7-office", kPrinterAllAccess, handle));
    ASSERT_EQ(cupsd_->Client("lpadmin", {"-x", "qx7-office"}).exitCode, 0);
    EXPECT_NE(spooler.GetPrinterData(handle, kReadyValueName, buffer, sizeof(buffer), size),
              kSpoolSuccess);
    spooler.ClosePrinter(handle);
}

TEST_F(CupsSpoolerTest, SchedulerDownFailsTheListingWithinTheDeadline) {
    const std::string socketPath = cupsd_->Socket();
    ASSERT_TRUE(cupsd_->Stop());
    CupsSpooler spooler(socketPath, 2000);
    const auto start = std::chrono::steady_clock::now();
    std::vector<PrinterRecord> records{{"stale", "x", "y"}};
    EXPECT_FALSE(spooler.EnumPrinters(records));
    EXPECT_TRUE(records.empty());
    PrinterHandle handle = kNoPrinterHandle;
    EXPECT_FALSE(spooler.OpenPrinter("qx7-office", kPrinterAllAccess, handle));
    // Far beyond the 2 s given; only a hang fails here.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
}  // namespace qx7
