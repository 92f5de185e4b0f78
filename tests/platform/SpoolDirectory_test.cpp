#include "platform/posix/SpoolDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "platform/posix/SpoolWire.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

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

TEST(PrinterDescriptionTest, FileStemsAreSafeAndShort) {
    EXPECT_EQ(PrinterFileStem("QX-7 Simulator"), "QX-7_Simulator");
    EXPECT_EQ(PrinterFileStem("../../etc/passwd"), "______etc_passwd");
    EXPECT_EQ(PrinterFileStem(""), "printer");
    EXPECT_EQ(PrinterFileStem(std::string(100, 'a')).size(), 40u);
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

TEST(SpoolDirectoryTest, OverlongSocketPathIsRefusedNotTruncated) {
    EXPECT_EQ(spoolwire::Connect("/tmp/" + std::string(200, 'a')), -1);
}

}  // namespace
}  // namespace qx7
