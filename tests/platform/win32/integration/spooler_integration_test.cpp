// The real print spooler (Wine's under CI): a QX-7 printer installed on a file port, reached
// through Win32Spooler and through qx7ctl.exe. What the printer would answer to a job cannot be
// served here (the driver's values are fixed data), so a command ends without a reply; the job
// it sent is read from the port file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"
#include "platform/win32/SpoolerApi.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Spooler.h"
#include "support/JobStamps.h"

namespace qx7 {
namespace {

constexpr wchar_t kDriver[] = L"Quorvel QX-7 Series";
constexpr DWORD kChildDeadlineMs = 60000;

// A path CMake gave: a Linux one seen through Wine's drive Z:.
std::wstring HostPath(const std::string& path) {
    std::wstring wide;
    EXPECT_TRUE(win32::StrictWideFromUtf8(path, wide)) << path;
    return !wide.empty() && wide[0] == L'/' ? L"Z:" + wide : wide;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE && written == bytes.size();
}

// An admin handle on a printer, or nullptr.
HANDLE OpenForAdmin(const std::wstring& name) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    return OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle, &defaults) ? handle : nullptr;
}

// A printer of the QX-7 driver on a port that is a file, removed again with its port and driver.
// Names carry the process id, so that what a crashed run left behind does not get in the way.
class InstalledPrinter {
  public:
    explicit InstalledPrinter(const std::wstring& name) : name_(name) {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) {
            problem_ = "no temporary folder";
            return;
        }
        folder_ =
            std::wstring(temp) + L"qx7-spooler-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        port_ = folder_ + L"\\port.prn";
        if (!AddPort()) {
            problem_ = "AddPortExW failed: " + std::to_string(GetLastError());
            return;
        }
        portAdded_ = true;
        // The spooler copies the driver's files: any file serves, nothing loads them.
        std::wstring files[3];
        const wchar_t* const names[3] = {L"qx7drv.dll", L"qx7data.gpd", L"qx7ui.dll"};
        for (int i = 0; i < 3; ++i) {
            files[i] = folder_ + L"\\" + names[i];
            WriteWholeFile(files[i], "QX-7 test driver file");
        }
        DRIVER_INFO_3W driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t*>(kDriver);
        driver.pDriverPath = files[0].data();
        driver.pDataFile = files[1].data();
        driver.pConfigFile = files[2].data();
        if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver),
                                 APD_COPY_ALL_FILES)) {
            problem_ = "AddPrinterDriverExW failed: " + std::to_string(GetLastError());
            return;
        }
        driverAdded_ = true;
        PRINTER_INFO_2W printer{};
        printer.pPrinterName = name_.data();
        printer.pPortName = port_.data();
        printer.pDriverName = const_cast<wchar_t*>(kDriver);
        printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        printer.pDatatype = const_cast<wchar_t*>(L"RAW");
        HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
        if (added == nullptr) {
            problem_ = "AddPrinterW failed: " + std::to_string(GetLastError());
            return;
        }
        ClosePrinter(added);
        printerAdded_ = true;
        if (!SetReady(true)) {
            problem_ = "SetPrinterDataW failed";
        }
    }

    ~InstalledPrinter() {
        if (printerAdded_) {
            if (HANDLE handle = OpenForAdmin(name_); handle != nullptr) {
                DeletePrinter(handle);
                ClosePrinter(handle);
            }
        }
        if (driverAdded_) {
            DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(kDriver));
        }
        if (portAdded_) {
            DeletePort();
        }
        for (const wchar_t* file :
             {L"\\port.prn", L"\\qx7drv.dll", L"\\qx7data.gpd", L"\\qx7ui.dll"}) {
            DeleteFileW((folder_ + file).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }
    InstalledPrinter(const InstalledPrinter&) = delete;
    InstalledPrinter& operator=(const InstalledPrinter&) = delete;

    // Empty when everything was installed.
    const std::string& Problem() const { return problem_; }
    const std::wstring& Port() const { return port_; }

    // "QvMatCheck" as the driver serves it: four bytes, the first 0x00 when ready.
    bool SetReady(bool ready) {
        HANDLE handle = OpenForAdmin(name_);
        if (handle == nullptr) {
            return false;
        }
        BYTE value[4] = {static_cast<BYTE>(ready ? 0x00 : 0x01), 0x00, 0x00, 0x00};
        const DWORD status = SetPrinterDataW(handle, const_cast<wchar_t*>(L"QvMatCheck"),
                                             REG_BINARY, value, sizeof value);
        ClosePrinter(handle);
        return status == ERROR_SUCCESS;
    }

    // What the port received since the last call.
    std::string TakeJob() {
        std::string bytes = ReadWholeFile(port_);
        DeleteFileW(port_.c_str());
        return bytes;
    }

  private:
    // The local port monitor takes a file path as a port of its own. AddPortExW is exported by
    // winspool but not declared in every SDK's headers.
    bool AddPort() {
        using AddPortExFunction = BOOL(WINAPI*)(LPWSTR, DWORD, LPBYTE, LPWSTR);
        HMODULE winspool = GetModuleHandleW(L"winspool.drv");
        if (winspool == nullptr) {
            return false;
        }
        const FARPROC found = GetProcAddress(winspool, "AddPortExW");
        if (found == nullptr) {
            return false;
        }
        AddPortExFunction addPortEx = nullptr;
        static_assert(sizeof addPortEx == sizeof found);
        std::memcpy(&addPortEx, &found, sizeof found);
        PORT_INFO_1W info{port_.data()};
        return addPortEx(nullptr, 1, reinterpret_cast<LPBYTE>(&info),
                         const_cast<wchar_t*>(L"Local Port")) != FALSE;
    }
    void DeletePort() {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
        HANDLE monitor = nullptr;
        if (!OpenPrinterW(const_cast<wchar_t*>(L",XcvMonitor Local Port"), &monitor, &defaults)) {
            return;
        }
        DWORD needed = 0;
        DWORD status = 0;
        XcvDataW(
            monitor, L"DeletePort", reinterpret_cast<PBYTE>(const_cast<wchar_t*>(port_.c_str())),
            static_cast<DWORD>((port_.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status);
        ClosePrinter(monitor);
    }

    std::wstring name_;
    std::wstring folder_;
    std::wstring port_;
    std::string problem_;
    bool portAdded_ = false;
    bool driverAdded_ = false;
    bool printerAdded_ = false;
};

struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool finished = false;
    std::string out;
    std::string err;
};

std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : argument) {
        if (c == L'"') {
            quoted += L'\\';
        }
        quoted += c;
    }
    return quoted + L"\"";
}

// Runs qx7ctl.exe to its end (or the deadline), its outputs in files of the test's folder.
ChildResult RunCtl(const std::vector<std::wstring>& args) {
    ChildResult result;
    const std::wstring program = HostPath(QX7CTL_PATH);
    std::wstring commandLine = Quoted(program);
    for (const std::wstring& argument : args) {
        commandLine += L" " + Quoted(argument);
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring stem =
        std::wstring(temp) + L"qx7ctl-run-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring outPath = stem + L".out";
    const std::wstring errPath = stem + L".err";
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                         CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    if (out != INVALID_HANDLE_VALUE) {
        CloseHandle(out);
    }
    if (err != INVALID_HANDLE_VALUE) {
        CloseHandle(err);
    }
    if (started) {
        if (WaitForSingleObject(process.hProcess, kChildDeadlineMs) == WAIT_OBJECT_0) {
            result.finished = GetExitCodeProcess(process.hProcess, &result.exitCode) != FALSE;
        } else {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, kChildDeadlineMs);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return result;
}

std::wstring UniqueName(const wchar_t* base) {
    return base + std::to_wstring(GetCurrentProcessId());
}

class SpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(printer.Problem(), ""); }

    std::wstring wideName = UniqueName(L"QX-7 Wine Test ");
    std::string name = [this] {
        std::string text;
        win32::StrictUtf8FromWide(wideName.c_str(), text);
        return text;
    }();
    InstalledPrinter printer{wideName};
    Win32Spooler spooler;
};

TEST_F(SpoolerTest, EnumerationFindsThePrinterWithDriverAndPort) {
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    std::string port;
    ASSERT_TRUE(win32::StrictUtf8FromWide(printer.Port().c_str(), port));
    int found = 0;
    for (const PrinterRecord& record : records) {
        if (record.name == name) {
            ++found;
            EXPECT_EQ(record.driverName, "Quorvel QX-7 Series");
            EXPECT_EQ(record.portName, port);
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_F(SpoolerTest, ReadinessValueAnswersWithStatusAndSize) {
    PrinterHandle handle = kNoPrinterHandle;
    ASSERT_TRUE(spooler.OpenPrinter(name, kPrinterAllAccess, handle));
    ASSERT_NE(handle, kNoPrinterHandle);
    unsigned char value[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    std::uint32_t reported = 0;
    EXPECT_EQ(spooler.GetPrinterData(handle, "QvMatCheck", value, 4, reported), kSpoolSuccess);
    EXPECT_EQ(reported, 4U);
    EXPECT_EQ(value[0], 0x00);
    // Too small a buffer: the size the value needs.
    unsigned char small[2] = {};
    reported = 0;
    EXPECT_EQ(spooler.GetPrinterData(handle, "QvMatCheck", small, 2, reported), kSpoolMoreData);
    EXPECT_EQ(reported, 4U);
    EXPECT_EQ(spooler.GetPrinterData(handle, "QvMatNoSuchValue", value, 4, reported),
              kSpoolNotFound);
    spooler.ClosePrinter(handle);
    EXPECT_EQ(spooler.OpenCount(), 0U);
}

TEST_F(SpoolerTest, ClosedOrForeignHandlesAreRefused) {
    PrinterHandle handle = kNoPrinterHandle;
    ASSERT_TRUE(spooler.OpenPrinter(name, kPrinterAllAccess, handle));
    spooler.ClosePrinter(handle);
    spooler.ClosePrinter(handle);  // a second close must not reach the spooler
    for (const PrinterHandle stale : {handle, kNoPrinterHandle, handle + 1000}) {
        unsigned char value[4] = {};
        std::uint32_t reported = 99;
        EXPECT_EQ(spooler.GetPrinterData(stale, "QvMatCheck", value, 4, reported),
                  kSpoolInvalidHandle);
        EXPECT_EQ(reported, 0U);
        EXPECT_FALSE(spooler.StartDocPrinter(stale, "QX Data", "RAW"));
        EXPECT_FALSE(spooler.StartPagePrinter(stale));
        std::uint32_t written = 7;
        EXPECT_FALSE(spooler.WritePrinter(stale, value, 4, written));
        EXPECT_EQ(written, 0U);
        EXPECT_FALSE(spooler.EndPagePrinter(stale));
        EXPECT_FALSE(spooler.EndDocPrinter(stale));
    }
    // A second spooler object does not honour the first one's handles.
    Win32Spooler other;
    ASSERT_TRUE(spooler.OpenPrinter(name, kPrinterAllAccess, handle));
    std::uint32_t reported = 0;
    unsigned char value[4] = {};
    EXPECT_EQ(other.GetPrinterData(handle, "QvMatCheck", value, 4, reported), kSpoolInvalidHandle);
}

TEST_F(SpoolerTest, RawDocumentReachesThePortUnchanged) {
    PrinterHandle handle = kNoPrinterHandle;
    ASSERT_TRUE(spooler.OpenPrinter(name, kPrinterAllAccess, handle));
    // Every byte value, CR LF and NUL among them, passes as it is.
    std::vector<unsigned char> bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>((i * 7) % 256);
    }
    ASSERT_TRUE(spooler.StartDocPrinter(handle, "QX Data", "RAW"));
    ASSERT_TRUE(spooler.StartPagePrinter(handle));
    std::uint32_t written = 0;
    EXPECT_TRUE(spooler.WritePrinter(handle, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                     written));
    EXPECT_TRUE(spooler.EndPagePrinter(handle));
    EXPECT_TRUE(spooler.EndDocPrinter(handle));
    spooler.ClosePrinter(handle);
    EXPECT_EQ(printer.TakeJob(), std::string(bytes.begin(), bytes.end()));
}

TEST_F(SpoolerTest, Qx7ctlListsThePrinterOnlyWhileItIsReady) {
    const ChildResult listed = RunCtl({L"list"});
    ASSERT_TRUE(listed.finished);
    EXPECT_EQ(listed.exitCode, 0U) << listed.err;
    EXPECT_NE(listed.out.find(name), std::string::npos) << listed.out;
    ASSERT_TRUE(printer.SetReady(false));
    const ChildResult notReady = RunCtl({L"list"});
    ASSERT_TRUE(notReady.finished);
    EXPECT_EQ(notReady.exitCode, 1U);
    EXPECT_EQ(notReady.out.find(name), std::string::npos) << notReady.out;
}

TEST_F(SpoolerTest, Qx7ctlSendsTheJobTheLinuxBuildSends) {
    struct Case {
        std::vector<std::wstring> args;
        const char* file;
    };
    // The reference files are what the Linux build sends for the same commands (TZ=UTC).
    const Case cases[] = {
        {{L"set-clock", L"--time", L"2026-01-02 03:04:05"}, "set-clock-2026-01-02-030405-utc.job"},
        {{L"record", L"battery"}, "record-battery.job"},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> args{L"-p", wideName};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto from = static_cast<std::uint32_t>(std::time(nullptr));
        const ChildResult result = RunCtl(args);
        const auto to = static_cast<std::uint32_t>(std::time(nullptr));
        ASSERT_TRUE(result.finished) << c.file;
        // The job is out; the reply never comes.
        EXPECT_EQ(result.exitCode, 1U) << c.file;
        EXPECT_NE(result.err.find("(-31)"), std::string::npos) << result.err;
        std::string problem;
        const std::string job = test::WithoutStamps(printer.TakeJob(), from, to, problem);
        EXPECT_EQ(problem, "") << c.file;
        const std::string expected =
            ReadWholeFile(HostPath(std::string(QX7_JOB_DATA) + "/" + c.file));
        ASSERT_FALSE(expected.empty()) << c.file;
        const auto differs =
            std::mismatch(job.begin(), job.end(), expected.begin(), expected.end());
        EXPECT_TRUE(job == expected)
            << c.file << ": " << job.size() << " bytes, expected " << expected.size()
            << ", first difference at " << (differs.first - job.begin());
    }
}

// Names travel as UTF-8 inside and as UTF-16 in the spooler.
TEST(SpoolerNames, JapaneseNameIsListedAndOpensAsItIs) {
    const std::wstring wide = UniqueName(L"QX-7 \u8a66\u9a13\u6a5f ");
    InstalledPrinter printer(wide);
    ASSERT_EQ(printer.Problem(), "");
    std::string name;
    ASSERT_TRUE(win32::StrictUtf8FromWide(wide.c_str(), name));
    ASSERT_EQ(name.substr(0, 15), "QX-7 \xE8\xA9\xA6\xE9\xA8\x93\xE6\xA9\x9F ");
    Win32Spooler spooler;
    std::vector<PrinterRecord> records;
    ASSERT_TRUE(spooler.EnumPrinters(records));
    EXPECT_NE(std::find_if(records.begin(), records.end(),
                           [&](const PrinterRecord& r) { return r.name == name; }),
              records.end());
    PrinterHandle handle = kNoPrinterHandle;
    ASSERT_TRUE(spooler.OpenPrinter(name, kPrinterAllAccess, handle));
    unsigned char value[4] = {0xFF};
    std::uint32_t reported = 0;
    EXPECT_EQ(spooler.GetPrinterData(handle, "QvMatCheck", value, 4, reported), kSpoolSuccess);
    EXPECT_EQ(value[0], 0x00);
    spooler.ClosePrinter(handle);
    // qx7ctl prints the name in UTF-8 and takes it back as an argument.
    const ChildResult listed = RunCtl({L"list"});
    ASSERT_TRUE(listed.finished);
    EXPECT_NE(listed.out.find(name + "\n"), std::string::npos) << listed.out;
    const ChildResult sent = RunCtl({L"-p", wide, L"record", L"battery"});
    ASSERT_TRUE(sent.finished);
    EXPECT_NE(sent.err.find("(-31)"), std::string::npos) << sent.err;
    EXPECT_EQ(printer.TakeJob().size(), 2520U);
}

}  // namespace
}  // namespace qx7
