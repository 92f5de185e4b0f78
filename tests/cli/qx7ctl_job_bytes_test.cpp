// The bytes of the raw job qx7ctl sends, held against the files in tests/data/jobs that the
// Windows build's spooler test holds its jobs against too, so both builds send the same job.
// The printer here takes the job and never answers, as a printer behind Wine's spooler does.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "core/base/LocalTime.h"
#include "core/comm/CommandJob.h"
#include "platform/posix/SpoolDirectory.h"
#include "platform/posix/SpoolWire.h"
#include "support/ChildProcess.h"
#include "support/JobStamps.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const std::string kJobs = std::string(QX7_SOURCE_DIR) + "/tests/data/jobs/";

// A port monitor that reports the printer ready, keeps every raw job and has no reply pending.
class CapturingMonitor {
  public:
    CapturingMonitor(const test::TempDir& dir, const std::string& name) {
        const std::string stem = PrinterFileStem(name);
        const std::string socketPath = dir.File(stem + kSocketSuffix);
        sockaddr_un address{};
        // A long TMPDIR makes a path the socket address cannot hold: not listening, then.
        if (socketPath.size() >= sizeof address.sun_path) {
            return;
        }
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
        if (listener_ < 0 ||
            bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 4) != 0) {
            return;
        }
        test::WriteFile(dir.File(stem + kPrinterFileSuffix),
                        FormatPrinterDescription({name, "Quorvel QX-7 Series", "USB001"}));
        thread_ = std::thread([this] { Run(); });
    }
    ~CapturingMonitor() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (listener_ >= 0) {
            close(listener_);
        }
    }
    CapturingMonitor(const CapturingMonitor&) = delete;
    CapturingMonitor& operator=(const CapturingMonitor&) = delete;

    bool Listening() const { return thread_.joinable(); }
    std::vector<std::string> Jobs() {
        const std::lock_guard lock(mutex_);
        return jobs_;
    }

  private:
    void Run() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0) {
                continue;
            }
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                Serve(fd);
                close(fd);
            }
        }
    }
    static bool Answer(int fd, unsigned char type, std::vector<unsigned char> payload) {
        return spoolwire::SendFrame(fd, type, payload);
    }
    void Serve(int fd) {
        std::string job;
        while (const auto frame = spoolwire::ReceiveFrame(fd)) {
            const std::vector<unsigned char>& payload = frame->payload;
            std::vector<unsigned char> answer(8, 0);  // status 0, and for a value its size
            bool ok = true;
            switch (frame->type) {
                case spoolwire::kReadValue:
                    if (std::string(payload.begin() + 4, payload.end()) == "QvMatCheck") {
                        WriteU32BE(answer.data() + 4, 4);
                        answer.insert(answer.end(), 4, 0);  // ready
                    }
                    ok = Answer(fd, spoolwire::kValue, answer);  // else: nothing pending
                    break;
                case spoolwire::kStartDoc:
                    job.clear();
                    ok = Answer(fd, spoolwire::kAnswer, {0, 0, 0, 0});
                    break;
                case spoolwire::kWrite:
                    job.append(payload.begin(), payload.end());
                    ok = Answer(fd, spoolwire::kAnswer, {0, 0, 0, 0});
                    break;
                case spoolwire::kEndDoc: {
                    const std::lock_guard lock(mutex_);
                    jobs_.push_back(job);
                    ok = Answer(fd, spoolwire::kAnswer, {0, 0, 0, 0});
                    break;
                }
                default:
                    ok = false;
            }
            if (!ok) {
                return;
            }
        }
    }

    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> jobs_;
};

TEST(Qx7ctlJobBytes, JobsMatchTheFilesTheWindowsBuildIsHeldTo) {
    struct Case {
        std::vector<std::string> args;
        const char* file;
    };
    const Case cases[] = {
        {{"set-clock", "--time", "2026-01-02 03:04:05"}, "set-clock-2026-01-02-030405-utc.job"},
        {{"record", "battery"}, "record-battery.job"},
    };
    test::TempDir dir;
    CapturingMonitor monitor(dir, "QX-7 Capture");
    ASSERT_TRUE(monitor.Listening());
    std::size_t sent = 0;
    for (const Case& c : cases) {
        std::vector<std::string> args{"--spool", dir.Path().string(), "-p", "QX-7 Capture"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto from = static_cast<std::uint32_t>(std::time(nullptr));
        const auto result =
            test::RunProgram(QX7CTL_PATH, args, {{"TZ", "UTC"}, {"LANG", "C"}, {"LC_ALL", "C"}});
        const auto to = static_cast<std::uint32_t>(std::time(nullptr));
        // The job is out; no reply ever comes.
        EXPECT_EQ(result.exitCode, 1) << c.file;
        EXPECT_NE(result.err.find("(-31)"), std::string::npos) << result.err;
        const auto jobs = monitor.Jobs();
        ASSERT_EQ(jobs.size(), ++sent) << c.file;
        std::string problem;
        const std::string job = test::WithoutStamps(jobs.back(), from, to, problem);
        EXPECT_EQ(problem, "") << c.file;
        if (std::getenv("QX7_UPDATE_JOB_FILES") != nullptr) {
            test::WriteFile(kJobs + c.file, job);
        }
        EXPECT_EQ(job, test::ReadFile(kJobs + c.file)) << c.file;
    }
}

// The files are what their names say, so that a wrong job cannot be taken in as the reference.
TEST(Qx7ctlJobBytes, FilesHoldTheCommandsTheyAreNamedFor) {
    const auto read = [](const char* file) {
        const std::string bytes = test::ReadFile(kJobs + file);
        return std::vector<unsigned char>(bytes.begin(), bytes.end());
    };
    const auto clockJob = read("set-clock-2026-01-02-030405-utc.job");
    const auto clock = ParseCommandJob(clockJob);
    ASSERT_TRUE(clock.has_value());
    EXPECT_EQ(clock->code, kBlockSetClock);
    ASSERT_GE(clock->data.size(), 4U);
    // Seconds from 2000-01-01 00:00:00 UTC.
    EXPECT_EQ(ReadU32BE(clock->data.data()),
              SecondsFromUtc({2026, 1, 2, 3, 4, 5}) - SecondsFromUtc({2000, 1, 1, 0, 0, 0}));
    const auto batteryJob = read("record-battery.job");
    const auto battery = ParseCommandJob(batteryJob);
    ASSERT_TRUE(battery.has_value());
    EXPECT_EQ(battery->code, kBlockInitializeRecord);
    ASSERT_FALSE(battery->data.empty());
    EXPECT_EQ(battery->data[0], kRecordBattery);
}

}  // namespace
}  // namespace qx7
