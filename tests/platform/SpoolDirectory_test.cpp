#include "platform/posix/SpoolDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "core/comm/PrinterLink.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolWire.h"
#include "support/FakeMonitor.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

// A listing as page 217 and `qx7ctl list` make it, timed from the reading of the directory.
struct TimedListing {
    std::vector<std::string> list;
    std::size_t installed = 0;
    double seconds = 0;
};

TimedListing ListTimed(SpoolDirectory& spooler) {
    SystemSleeper sleeper;
    SystemLocalTime clock;
    PrinterLink link(spooler, sleeper, clock);
    TimedListing listing;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(link.EnumeratePrinters(), 0);
    EXPECT_EQ(link.ListQxPrinters(listing.list), 0);
    listing.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    listing.installed = link.Printers().size();
    return listing;
}

TEST(PrinterDescriptionTest, ParsesWellFormedFilesOnly) {
    const auto record = ParsePrinterDescription(
        "QX7-PRINTER 1\r\nname=QX-7 A\r\n# note\r\ndriver=Quorvel QX-7\r\nport=FILE:\r\n"
        "colour=blue\r\n");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "QX-7 A");
    EXPECT_EQ(record->driverName, "Quorvel QX-7");
    EXPECT_EQ(record->portName, "FILE:");
    // Round trip.
    EXPECT_EQ(ParsePrinterDescription(FormatPrinterDescription(*record))->name, "QX-7 A");

    for (const char* bad : {
             "",
             "name=A\ndriver=B\nport=C\n",                          // no header
             "QX7-PRINTER 2\nname=A\ndriver=B\nport=C\n",           // other version
             "QX7-PRINTER 1\nname=A\ndriver=B\n",                   // no port
             "QX7-PRINTER 1\nname=\ndriver=B\nport=C\n",            // empty name
             "QX7-PRINTER 1\nname=A\nname=B\ndriver=B\nport=C\n",   // twice
             "QX7-PRINTER 1\nname=A\ndriver=B\nport=C\ngarbage\n",  // no '='
             "QX7-PRINTER 1\nname=A\tB\ndriver=B\nport=C\n",        // control char
         }) {
        EXPECT_FALSE(ParsePrinterDescription(bad)) << bad;
    }
    EXPECT_FALSE(ParsePrinterDescription("QX7-PRINTER 1\nname=" + std::string(5000, 'a') +
                                         "\ndriver=B\nport=C\n"));
}

TEST(PrinterDescriptionTest, TextMustBeWellFormedUtf8WithoutControls) {
    const auto named = [](const std::string& name) {
        return ParsePrinterDescription("QX7-PRINTER 1\nname=" + name + "\ndriver=D\nport=P\n");
    };
    // Japanese, a four-byte character and U+00A0 (C2 A0, just past the C1 controls) are text.
    ASSERT_TRUE(named("QX-7 \xE5\xB7\xA5\xE5\xA0\xB4 \xF0\x9F\x96\xA8\xC2\xA0"));
    EXPECT_EQ(named("\xE5\xB7\xA5")->name, "\xE5\xB7\xA5");
    for (const char* bad : {
             "QX\xFF",              // never in UTF-8
             "QX\xE5\xB7",          // cut short
             "QX\xA0",              // stray continuation byte
             "QX\xC0\xAF",          // overlong '/'
             "QX\xE0\x80\xAF",      // overlong '/', three bytes
             "QX\xED\xA0\x80",      // surrogate
             "QX\xF4\x90\x80\x80",  // above U+10FFFF
             "QX\xC2\x9B[2J",       // C1 control (CSI)
             "QX\x1B[2J",           // C0 control (ESC)
         }) {
        EXPECT_FALSE(named(bad)) << bad;
    }
    // Not only values: a comment or a key that is not UTF-8 spoils the file too.
    EXPECT_FALSE(ParsePrinterDescription("QX7-PRINTER 1\n# \xFF\nname=A\ndriver=D\nport=P\n"));
}

TEST(PrinterDescriptionTest, FileStemsAreSafeAndShort) {
    EXPECT_EQ(PrinterFileStem("QX-7 Simulator"), "QX-7_Simulator");
    EXPECT_EQ(PrinterFileStem("../../etc/passwd"), "______etc_passwd");
    EXPECT_EQ(PrinterFileStem(""), "printer");
    EXPECT_EQ(PrinterFileStem(std::string(100, 'a')).size(), 40u);
    for (const std::string name : {"QX-7 Simulator", "\xE5\xB7\xA5", "", "a.b/c"}) {
        EXPECT_TRUE(IsPrinterFileStem(PrinterFileStem(name))) << name;
    }
}

TEST(SpoolDirectoryTest, ListsOnlyStemsOfTheDocumentedAlphabetAndLength) {
    const test::TempDir dir;
    const std::string body = "QX7-PRINTER 1\ndriver=D\nport=P\nname=";
    const std::string longest(40, 'x');
    test::WriteFile(dir.File("ok-1_Z.printer"), body + "Good");
    test::WriteFile(dir.File(longest + ".printer"), body + "Forty");
    test::WriteFile(dir.File(longest + "y.printer"), body + "Forty-one");
    test::WriteFile(dir.File("with space.printer"), body + "Space");
    test::WriteFile(dir.File("dot.ted.printer"), body + "Dot");
    test::WriteFile(dir.File("\xE5\xB7\xA5.printer"), body + "Kanji");
    test::WriteFile(dir.File(".printer"), body + "Empty");
    test::WriteFile(dir.File("bad-utf8.printer"), body + "Bad\xFF");
    SpoolDirectory spooler(dir.Path().string(), 200);
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    std::vector<std::string> names;
    for (const PrinterRecord& record : records) {
        names.push_back(record.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Good", "Forty"}));
    // What is not listed cannot be opened either.
    PrinterHandle handle = kNoPrinterHandle;
    for (const char* skipped : {"Forty-one", "Space", "Dot", "Kanji", "Empty", "Bad\xFF"}) {
        EXPECT_FALSE(spooler.OpenPrinter(skipped, kPrinterAllAccess, handle)) << skipped;
    }
}

TEST(SpoolDirectoryTest, DirectoryChecks) {
    const test::TempDir dir;
    const std::string spool = dir.File("spool");
    EXPECT_FALSE(PrepareSpoolDirectory(spool, false).empty());
    EXPECT_EQ(PrepareSpoolDirectory(spool, true), "");
    struct stat info {};
    ASSERT_EQ(stat(spool.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    chmod(spool.c_str(), 0757);
    EXPECT_NE(PrepareSpoolDirectory(spool, true).find("writable by others"), std::string::npos);
    chmod(spool.c_str(), 0700);

    const std::string link = dir.File("link");
    ASSERT_EQ(symlink(spool.c_str(), link.c_str()), 0);
    EXPECT_NE(PrepareSpoolDirectory(link, true).find("not a directory"), std::string::npos);
    // A trailing slash makes the system resolve the link; the name itself is still what counts.
    for (const std::string& slashed : {link + "/", link + "//"}) {
        EXPECT_NE(PrepareSpoolDirectory(slashed, false).find("not a directory"), std::string::npos)
            << slashed;
        SpoolDirectory spooler(slashed, 200);
        std::vector<PrinterRecord> records;
        EXPECT_FALSE(spooler.EnumPrinters(records)) << slashed;
        EXPECT_NE(spooler.Problem().find("not a directory"), std::string::npos);
    }
    EXPECT_EQ(PrepareSpoolDirectory(spool + "/", false), "");
    // A path below a regular file cannot be created.
    test::WriteFile(dir.File("file"), "x");
    EXPECT_FALSE(PrepareSpoolDirectory(dir.File("file") + "/spool", true).empty());
}

TEST(SpoolDirectoryTest, DefaultFollowsTheEnvironment) {
    {
        const test::ScopedEnv spool("QX7_SPOOL_DIR", "/somewhere/spool");
        EXPECT_EQ(DefaultSpoolDirectory(), "/somewhere/spool");
    }
    const test::ScopedEnv none("QX7_SPOOL_DIR", std::nullopt);
    {
        const test::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(DefaultSpoolDirectory(), "/run/user/1000/qx7-spool");
    }
    const test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(DefaultSpoolDirectory(), "/tmp/qx7-spool-" + std::to_string(geteuid()));
}

TEST(SpoolDirectoryTest, InstalledPrinterWithoutMonitorIsSwitchedOff) {
    const test::TempDir dir;
    test::WriteFile(dir.File("b.printer"), "QX7-PRINTER 1\nname=B\ndriver=D\nport=P\n");
    test::WriteFile(dir.File("a.printer"), "QX7-PRINTER 1\nname=A\ndriver=D\nport=P\n");
    test::WriteFile(dir.File("c.printer"), "broken");
    test::WriteFile(dir.File("notes.txt"), "QX7-PRINTER 1\nname=N\ndriver=D\nport=P\n");
    ASSERT_EQ(symlink(dir.File("a.printer").c_str(), dir.File("s.printer").c_str()), 0);
    SpoolDirectory spooler(dir.Path().string(), 200);
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "A");
    EXPECT_EQ(records[1].name, "B");

    PrinterHandle handle = kNoPrinterHandle;
    EXPECT_FALSE(spooler.OpenPrinter("N", kPrinterAllAccess, handle));
    ASSERT_TRUE(spooler.OpenPrinter("A", kPrinterAllAccess, handle));
    unsigned char buffer[4] = {};
    std::uint32_t reported = 99;
    EXPECT_NE(spooler.GetPrinterData(handle, "QvMatCheck", buffer, 4, reported), kSpoolSuccess);
    EXPECT_EQ(reported, 0u);
    EXPECT_FALSE(spooler.StartDocPrinter(handle, "QX Data", "RAW"));
    EXPECT_FALSE(spooler.StartPagePrinter(handle));
    spooler.ClosePrinter(handle);
    EXPECT_NE(spooler.GetPrinterData(handle, "QvMatCheck", buffer, 4, reported), kSpoolSuccess);
}

// A port monitor that answers every request with the frame a test hands it.
class HostileMonitor {
  public:
    HostileMonitor(const std::string& path, std::function<void(int)> answer)
        : answer_(std::move(answer)) {
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(), path.size());
        bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        thread_ = std::thread([this] {
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd >= 0) {
                spoolwire::ReceiveFrame(fd);
                answer_(fd);
                close(fd);
            }
        });
    }
    ~HostileMonitor() {
        thread_.join();
        close(listener_);
    }

  private:
    std::function<void(int)> answer_;
    int listener_ = -1;
    std::thread thread_;
};

TEST(SpoolDirectoryTest, HostileMonitorAnswersNeverOverrunTheBuffer) {
    const test::TempDir dir;
    test::WriteFile(dir.File("m.printer"), "QX7-PRINTER 1\nname=M\ndriver=D\nport=P\n");
    SpoolDirectory spooler(dir.Path().string(), 300);
    PrinterHandle handle = kNoPrinterHandle;
    ASSERT_TRUE(spooler.OpenPrinter("M", kPrinterAllAccess, handle));
    const auto ask = [&](std::function<void(int)> answer, std::uint32_t& reported) {
        const HostileMonitor monitor(dir.File("m.sock"), std::move(answer));
        std::vector<unsigned char> buffer(516 + 64, 0xAB);
        const std::uint32_t status =
            spooler.GetPrinterData(handle, "QvMatRawReadTest", buffer.data(), 516, reported);
        for (std::size_t i = 516; i < buffer.size(); ++i) {
            EXPECT_EQ(buffer[i], 0xAB) << "written past the buffer at " << i;
        }
        unlink(dir.File("m.sock").c_str());
        return status;
    };
    std::uint32_t reported = 0;
    // 600 data bytes for a 516-byte buffer.
    EXPECT_NE(ask(
                  [](int fd) {
                      std::vector<unsigned char> payload(8 + 600, 0);
                      WriteU32BE(payload.data() + 4, 600);
                      spoolwire::SendFrame(fd, spoolwire::kValue, payload);
                  },
                  reported),
              kSpoolSuccess);
    // A frame header claiming gigabytes, then nothing.
    EXPECT_NE(ask(
                  [](int fd) {
                      const unsigned char header[5] = {'v', 0x7F, 0xFF, 0xFF, 0xFF};
                      send(fd, header, sizeof header, MSG_NOSIGNAL);
                  },
                  reported),
              kSpoolSuccess);
    // Truncated answer, and a wrong frame type.
    EXPECT_NE(ask(
                  [](int fd) {
                      const unsigned char partial[7] = {'v', 0, 0, 0, 8, 0, 0};
                      send(fd, partial, sizeof partial, MSG_NOSIGNAL);
                  },
                  reported),
              kSpoolSuccess);
    EXPECT_NE(
        ask([](int fd) { spoolwire::SendFrame(fd, 'x', std::vector<unsigned char>(8)); }, reported),
        kSpoolSuccess);
    // A well-formed full chunk is taken as it is.
    EXPECT_EQ(ask(
                  [](int fd) {
                      std::vector<unsigned char> payload(8 + 516, 7);
                      WriteU32BE(payload.data(), 0);
                      WriteU32BE(payload.data() + 4, 516);
                      spoolwire::SendFrame(fd, spoolwire::kValue, payload);
                  },
                  reported),
              kSpoolSuccess);
    EXPECT_EQ(reported, 516u);
}

TEST(SpoolDirectoryTest, TwoThousandPrintersAreListedFromOneReadingOfTheDirectory) {
    const test::TempDir dir;
    constexpr int kInstalled = 2000;
    for (int i = 0; i < kInstalled; ++i) {
        char stem[16];
        std::snprintf(stem, sizeof stem, "p%04d", i);
        test::WriteFile(
            dir.File(std::string(stem) + ".printer"),
            std::string("QX7-PRINTER 1\nname=QX ") + stem + "\ndriver=Quorvel QX-7\nport=USB001\n");
    }
    // One of them is switched on; the others have no monitor.
    test::FakeMonitor monitor(dir.File("p1234.sock"), test::FakeMonitor::Step::kNone,
                              test::FakeMonitor::Manner::kSilent);
    ASSERT_TRUE(monitor.Listening());
    SpoolDirectory spooler(dir.Path().string());
    const TimedListing listing = ListTimed(spooler);
    std::printf("[ measured ] listing %d installed printers: %.3f s\n", kInstalled,
                listing.seconds);
    EXPECT_EQ(listing.installed, static_cast<std::size_t>(kInstalled));
    EXPECT_EQ(listing.list, std::vector<std::string>{"QX p1234"});
    EXPECT_EQ(monitor.readyChecks, 1);
    // Every printer was opened for its readiness check, each from the listing, not from a
    // reading of the whole directory of its own.
    EXPECT_EQ(spooler.DirectoryReads(), 1);
}

TEST(SpoolDirectoryTest, OpeningFollowsChangesAfterTheListing) {
    const test::TempDir dir;
    test::WriteFile(dir.File("a.printer"), "QX7-PRINTER 1\nname=A\ndriver=D\nport=P\n");
    SpoolDirectory spooler(dir.Path().string(), 200);
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    // Renamed after the listing: the old name is gone, the new one is found.
    test::WriteFile(dir.File("a.printer"), "QX7-PRINTER 1\nname=A2\ndriver=D\nport=P\n");
    test::WriteFile(dir.File("b.printer"), "QX7-PRINTER 1\nname=B\ndriver=D\nport=P\n");
    PrinterHandle handle = kNoPrinterHandle;
    EXPECT_FALSE(spooler.OpenPrinter("A", kPrinterAllAccess, handle));
    EXPECT_TRUE(spooler.OpenPrinter("A2", kPrinterAllAccess, handle));
    spooler.ClosePrinter(handle);
    EXPECT_TRUE(spooler.OpenPrinter("B", kPrinterAllAccess, handle));
    spooler.ClosePrinter(handle);
}

TEST(SpoolDirectoryTest, NameInTwoDescriptionFilesIsOnePrinterTheReadyOne) {
    using test::FakeMonitor;
    const test::TempDir dir;
    // A stale copy sorts first: no monitor behind it, and another driver on record.
    test::WriteFile(dir.File("a-old.printer"),
                    "QX7-PRINTER 1\nname=QX\ndriver=Generic\nport=USB009\n");
    test::WriteFile(dir.File("b-new.printer"),
                    "QX7-PRINTER 1\nname=QX\ndriver=Quorvel QX-7\nport=USB001\n");
    test::WriteFile(dir.File("c.printer"), "QX7-PRINTER 1\nname=C\ndriver=D\nport=P\n");
    FakeMonitor monitor(dir.File("b-new.sock"), FakeMonitor::Step::kNone,
                        FakeMonitor::Manner::kSilent);
    ASSERT_TRUE(monitor.Listening());
    SpoolDirectory spooler(dir.Path().string());
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "QX");
    EXPECT_EQ(records[0].driverName, "Quorvel QX-7");  // the record of the file that stands
    EXPECT_EQ(records[1].name, "C");

    SystemSleeper sleeper;
    SystemLocalTime clock;
    PrinterLink link(spooler, sleeper, clock);
    ASSERT_EQ(link.EnumeratePrinters(), 0);
    std::vector<std::string> list;
    EXPECT_EQ(link.ListQxPrinters(list), 0);
    EXPECT_EQ(list, std::vector<std::string>{"QX"});
    // A command opens the name afresh, without a listing first: it reaches the same monitor.
    SpoolDirectory fresh(dir.Path().string());
    PrinterLink command(fresh, sleeper, clock);
    const int readsBefore = monitor.readyChecks;
    EXPECT_EQ(command.Connect("QX"), 0);
    EXPECT_GT(monitor.readyChecks, readsBefore);

    // Neither answers: the first in byte order stands, still once.
    monitor.Release();
    unlink(dir.File("b-new.sock").c_str());
    ASSERT_TRUE(spooler.EnumPrinters(records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].driverName, "Generic");
}

TEST(SpoolDirectoryTest, SilentMonitorsAreAskedAtOnceWithinTheListingsDeadline) {
    using test::FakeMonitor;
    const test::TempDir dir;
    constexpr int kSilent = 30;
    std::vector<std::unique_ptr<FakeMonitor>> silent;
    for (int i = 0; i < kSilent; ++i) {
        const std::string stem = "s" + std::to_string(i);
        test::WriteFile(dir.File(stem + ".printer"),
                        "QX7-PRINTER 1\nname=QX " + stem + "\ndriver=Quorvel QX-7\nport=USB001\n");
        silent.push_back(std::make_unique<FakeMonitor>(dir.File(stem + ".sock"),
                                                       FakeMonitor::Step::kReadyCheck,
                                                       FakeMonitor::Manner::kSilent));
        ASSERT_TRUE(silent.back()->Listening());
    }
    // The printer that answers comes last in the spooler's order.
    test::WriteFile(dir.File("z.printer"),
                    "QX7-PRINTER 1\nname=QX ready\ndriver=Quorvel QX-7\nport=USB001\n");
    FakeMonitor ready(dir.File("z.sock"), FakeMonitor::Step::kNone, FakeMonitor::Manner::kSilent);
    ASSERT_TRUE(ready.Listening());

    SpoolDirectory spooler(dir.Path().string());
    const TimedListing listing = ListTimed(spooler);
    std::printf("[ measured ] listing %d silent monitors and a ready one: %.2f s\n", kSilent,
                listing.seconds);
    EXPECT_EQ(listing.list, std::vector<std::string>{"QX ready"});
    // One after another they would take 2 s each, 60 s in all.
    EXPECT_LT(listing.seconds, 15.0);
}

TEST(SpoolDirectoryTest, ReadsOfEachStopAtTheCallersDeadlineBeforeTheirOwn) {
    using test::FakeMonitor;
    const test::TempDir dir;
    std::vector<std::unique_ptr<FakeMonitor>> silent;
    std::vector<std::string> names;
    for (const char* stem : {"a", "b", "c"}) {
        test::WriteFile(dir.File(std::string(stem) + ".printer"),
                        std::string("QX7-PRINTER 1\nname=") + stem + "\ndriver=D\nport=P\n");
        silent.push_back(std::make_unique<FakeMonitor>(dir.File(std::string(stem) + ".sock"),
                                                       FakeMonitor::Step::kReadyCheck,
                                                       FakeMonitor::Manner::kSilent));
        names.emplace_back(stem);
    }
    names.emplace_back("not installed");
    // Each read alone may take a minute; the caller gives them all a fraction of a second.
    SpoolDirectory spooler(dir.Path().string(), 60000, 60000);
    const auto started = std::chrono::steady_clock::now();
    const auto reads = spooler.ReadValueOfEach(names, kPrinterAllAccess, kReadyValueName, 4,
                                               started + std::chrono::milliseconds(300));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 30.0);
    ASSERT_EQ(reads.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(reads[i].opened);
        EXPECT_NE(reads[i].status, kSpoolSuccess);
        EXPECT_FALSE(IsReadyAnswer(reads[i]));
    }
    EXPECT_FALSE(reads[3].opened);
    for (const auto& monitor : silent) {
        monitor->Release();
    }
}

TEST(SpoolDirectoryTest, OverlongSocketPathIsRefusedNotTruncated) {
    EXPECT_EQ(spoolwire::Connect("/tmp/" + std::string(200, 'a')), -1);
}

}  // namespace
}  // namespace qx7
