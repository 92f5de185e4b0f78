// A command job through a private scheduler, with filters that answer as the QX-7 queue's
// filter does (or fails to): the job's type, name and bytes, the reply handed back in the
// driver's chunks, and what happens to a job the link gives up on. Root only.

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/comm/CommandJob.h"
#include "core/comm/PrinterLink.h"
#include "platform/cups/CupsSpooler.h"
#include "platform/cups/ReplyReport.h"
#include "platform/posix/PosixSleeper.h"
#include "support/FakeSpooler.h"
#include "support/FixedNowLocalTime.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::PrivateCupsd;
namespace fs = std::filesystem;

constexpr std::int64_t kSomeTime = 1700000000;

// A reply the printer gives to an exchange record, as hex for a filter script.
std::vector<unsigned char> RecordReply() {
    return test::FakeSpooler::MakeReply((*ReplyHeaderFor(kBlockInitializeRecord))[3], 0);
}

// A filter script that passes the job on and then says `line` (with $1, the job id) as the
// queue's filter would report the printer's reply.
std::string ReportingFilter(const std::string& report) {
    return "#!/bin/sh\n"
           "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi\n"
           "echo \"WARNING: " + report + "\" >&2\n";
}

struct JobFacts {
    int state = 0;
    std::string name;
    std::string format;
};

class CupsCommandJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string skip = PrivateCupsd::SkipReason();
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        cupsd_ = std::make_unique<PrivateCupsd>();
        std::string error;
        ASSERT_TRUE(cupsd_->Start(error)) << error;
        // The printer: writes what reached it into the job's own file, readable by the test.
        received_ = cupsd_->Root() / "received";
        fs::create_directories(received_);
        fs::permissions(received_, fs::perms::all);
        ASSERT_TRUE(cupsd_->InstallBackend(
            "qx7port", "#!/bin/sh\n[ $# -eq 0 ] && exit 0\ncat > '" + received_.string() +
                           "/job-'\"$1\".bin\n"));
        ASSERT_TRUE(
            cupsd_->AddQueue("qx7", "qx7port://QX-7/A1", PrivateCupsd::Qx7Ppd(), error))
            << error;
    }

    // Installs the filter that stands for the queue's filter in this test.
    void UseFilter(const std::string& script) {
        ASSERT_TRUE(cupsd_->InstallFilter("qx7-command-filter", script));
    }

    // What the scheduler knows of a job.
    JobFacts Job(int jobId) {
        JobFacts facts;
        http_t* http = httpConnect2(cupsd_->Socket().c_str(), 0, nullptr, AF_UNSPEC,
                                    HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
        if (!http) {
            return facts;
        }
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     "ipp://localhost/printers/qx7");
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        ipp_t* response = cupsDoRequest(http, request, "/");
        if (response) {
            if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
                facts.state = ippGetInteger(a, 0);
            }
            if (ipp_attribute_t* a = ippFindAttribute(response, "job-name", IPP_TAG_ZERO)) {
                facts.name = ippGetString(a, 0, nullptr);
            }
            if (ipp_attribute_t* a =
                    ippFindAttribute(response, "document-format-supplied", IPP_TAG_ZERO)) {
                facts.format = ippGetString(a, 0, nullptr);
            }
            ippDelete(response);
        }
        httpClose(http);
        return facts;
    }

    // Waits (generously) until the job has ended; its final state.
    int FinalState(int jobId) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int state = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            state = Job(jobId).state;
            if (state >= IPP_JSTATE_CANCELED) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return state;
    }

    // The command the link sends for an exchange record, through the scheduler; the result.
    int RecordBatteryExchange(PrinterLink& link) {
        if (const int result = link.Connect("qx7"); result != 0) {
            return result;
        }
        if (const int result = link.BuildInitializeRecord(kRecordBattery); result != 0) {
            return result;
        }
        sentJob_ = link.Job();
        if (const int result = link.SendJob(); result != 0) {
            return result;
        }
        if (const int result = link.CollectReply(1); result != 0) {
            return result;
        }
        return link.CheckInitializeRecordReply();
    }

    std::unique_ptr<PrivateCupsd> cupsd_;
    fs::path received_;
    std::vector<unsigned char> sentJob_;
    PosixSleeper sleeper_;
    test::FixedNowLocalTime clock_{kSomeTime};
};

TEST_F(CupsCommandJobTest, CommandReachesThePrinterUnchangedAndItsReplyComesBack) {
    UseFilter(ReportingFilter(FormatReplyReport(0, RecordReply()).replace(14, 1, "$1")));
    CupsSpooler spooler(cupsd_->Socket());
    PrinterLink link(spooler, sleeper_, clock_);
    EXPECT_EQ(RecordBatteryExchange(link), 0);
    EXPECT_EQ(link.Reply().size(), kReplyChunkPayload);  // one chunk's payload
    const std::vector<unsigned char> reply = RecordReply();
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), link.Reply().begin()));

    // The first job on this scheduler: its name, its type and the bytes the printer got.
    ASSERT_EQ(FinalState(1), IPP_JSTATE_COMPLETED);
    const JobFacts job = Job(1);
    EXPECT_EQ(job.name, "QX Data");
    EXPECT_EQ(job.format, kCommandJobType);
    const std::string bytes = test::ReadFile((received_ / "job-1.bin").string());
    EXPECT_EQ(bytes.size(), sentJob_.size());
    EXPECT_TRUE(bytes == std::string(sentJob_.begin(), sentJob_.end()));
}

TEST_F(CupsCommandJobTest, CutDamagedAndMissingRepliesAreNoReply) {
    const std::string good = FormatReplyReport(0, RecordReply()).replace(14, 1, "$1");
    const std::string reports[] = {
        good.substr(0, good.size() - 7),                  // cut by the scheduler
        good.substr(0, good.size() - 2) + "zz",           // not hexadecimal
        "QX7-REPLY job=$1 none: no answer from the printer",  // the filter's own no
        "QX7-REPLY job=9999 n=0 hex=",                    // another job's
        "the backend's own words",                        // no report at all
    };
    for (const std::string& report : reports) {
        UseFilter(ReportingFilter(report));
        CupsSpooler spooler(cupsd_->Socket());
        PrinterLink link(spooler, sleeper_, clock_);
        EXPECT_EQ(RecordBatteryExchange(link), kLinkNoReply) << report;
        EXPECT_TRUE(link.Reply().empty()) << report;
    }
}

// A printer switched off holds the job in its backend (as CUPS' USB backend does): the link
// gives up within its collection window and withdraws the job, so nothing reaches the printer
// when it is switched on.
TEST_F(CupsCommandJobTest, GivenUpJobIsCanceledAndNeverReachesThePrinter) {
    const fs::path powered = cupsd_->Root() / "powered-off";
    test::WriteFile(powered.string(), "");
    const std::string job = received_.string() + "/job-\"$1\"";
    ASSERT_TRUE(cupsd_->InstallBackend(
        "qx7port", "#!/bin/sh\n[ $# -eq 0 ] && exit 0\n"
                   "while [ -e '" + powered.string() + "' ]; do sleep 0.05; done\n"
                   "cat > '" + job + ".part' && mv '" + job + ".part' '" + job + ".bin'\n"));
    UseFilter("#!/bin/sh\nif [ -n \"$6\" ]; then exec cat \"$6\"; fi\nexec cat\n");
    CupsSpooler spooler(cupsd_->Socket());
    PrinterLink link(spooler, sleeper_, clock_);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RecordBatteryExchange(link), kLinkNoReply);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // a hang only
    EXPECT_EQ(FinalState(1), IPP_JSTATE_CANCELED);

    fs::remove(powered);  // switched on
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(fs::exists(received_ / "job-1.bin"));
    EXPECT_FALSE(fs::exists(received_ / "job-1.part"));
}

TEST_F(CupsCommandJobTest, QueueDeletedBeforeTheJobFailsTheSend) {
    UseFilter(ReportingFilter("QX7-REPLY job=$1 none: never asked"));
    CupsSpooler spooler(cupsd_->Socket());
    PrinterLink link(spooler, sleeper_, clock_);
    ASSERT_EQ(link.Connect("qx7"), 0);
    ASSERT_EQ(cupsd_->Client("lpadmin", {"-x", "qx7"}).exitCode, 0);
    ASSERT_EQ(link.BuildInitializeRecord(kRecordBattery), 0);
    EXPECT_EQ(link.SendJob(), kLinkStartDocFailed);
    EXPECT_NE(spooler.Problem(), "");
}

TEST_F(CupsCommandJobTest, SchedulerStoppedAfterTheJobIsNoReplyWithinTheDeadline) {
    UseFilter("#!/bin/sh\ncat > /dev/null\nsleep 30\n");
    CupsSpooler spooler(cupsd_->Socket(), 1000);
    PrinterLink link(spooler, sleeper_, clock_);
    ASSERT_EQ(link.Connect("qx7"), 0);
    ASSERT_EQ(link.BuildInitializeRecord(kRecordBattery), 0);
    ASSERT_EQ(link.SendJob(), 0);
    ASSERT_TRUE(cupsd_->Stop());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.CollectReply(1), kLinkNoReply);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
}  // namespace qx7
