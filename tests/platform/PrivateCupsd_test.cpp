// The private scheduler the CUPS tests run against: it starts under its own root, takes queues
// from lpadmin, and leaves nothing running when it stops.

#include "support/PrivateCupsd.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace qx7::test {
namespace {

TEST(PrivateCupsdTest, StartsTakesQueuesAndStopsWithoutTrace) {
    const std::string skip = PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    pid_t pid = -1;
    std::string socketPath;
    {
        PrivateCupsd cupsd;
        std::string error;
        ASSERT_TRUE(cupsd.Start(error)) << error;
        pid = cupsd.Pid();
        socketPath = cupsd.Socket();
        EXPECT_TRUE(ProcessExists(pid));
        EXPECT_EQ(socketPath.rfind(cupsd.Root().string(), 0), 0u) << socketPath;

        ASSERT_TRUE(cupsd.AddQueue("first", "file:/dev/null", "", error)) << error;
        ASSERT_TRUE(cupsd.AddQueue("second", "file:/dev/null", "", error)) << error;
        const ProgramResult listed = cupsd.Client("lpstat", {"-v"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_NE(listed.out.find("first"), std::string::npos) << listed.out;
        EXPECT_NE(listed.out.find("second"), std::string::npos) << listed.out;
        // The printcap stays inside the private root.
        EXPECT_TRUE(std::filesystem::exists(cupsd.Root() / "run" / "printcap"));
        // lpstat -r exits 0 either way: its words tell.
        EXPECT_NE(cupsd.Client("lpstat", {"-r"}).out.find("is running"), std::string::npos);

        EXPECT_TRUE(cupsd.Stop());
        EXPECT_FALSE(ProcessExists(pid));
        EXPECT_NE(cupsd.Client("lpstat", {"-r"}).out.find("not running"), std::string::npos);
    }
    EXPECT_FALSE(ProcessExists(pid));
}

// Our programs in its ServerBin pass the scheduler's checks: a job in the QX-7 command type
// goes through the queue's filter to the backend with its bytes unchanged.
TEST(PrivateCupsdTest, JobReachesInstalledFilterAndBackendUnchanged) {
    const std::string skip = PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    PrivateCupsd cupsd;
    const std::filesystem::path out = cupsd.Root() / "out";
    std::filesystem::create_directory(out);
    ASSERT_EQ(RunProgram("/bin/chown", {"lp", out.string()}).exitCode, 0);
    // The backend runs as lp (mode 0755) and keeps what it was sent.
    ASSERT_TRUE(cupsd.InstallBackend("qx7port",
                                     "#!/bin/sh\n[ $# -eq 0 ] && exit 0\ncat > '" + out.string() +
                                         "/job.part'\n"
                                         "mv '" +
                                         out.string() + "/job.part' '" + out.string() + "/job'\n"));
    ASSERT_TRUE(cupsd.InstallFilter("qx7-command-filter",
                                    "#!/bin/sh\nif [ -n \"$6\" ]; then exec cat \"$6\"; fi\n"
                                    "exec cat\n"));
    std::string error;
    ASSERT_TRUE(cupsd.Start(error)) << error;
    ASSERT_TRUE(cupsd.AddQueue("qx7", "qx7port://QX-7/A1", PrivateCupsd::Qx7Ppd(), error)) << error;

    // Every byte value, and a start that content sniffing would take for PostScript.
    std::string command = "%!PS-Adobe-3.0\n";
    for (int i = 0; i < 512; ++i) {
        command += static_cast<char>(i % 256);
    }
    const std::string commandFile = (cupsd.Root() / "command.bin").string();
    WriteFile(commandFile, command);
    const ProgramResult sent = cupsd.Client(
        "lp", {"-d", "qx7", "-o", "document-format=application/vnd.qx7-command", commandFile});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    ASSERT_TRUE(WaitForPath((out / "job").string(), 20000))
        << ReadFile((cupsd.Root() / "log" / "error_log").string());
    EXPECT_EQ(ReadFile((out / "job").string()), command);
}

TEST(PrivateCupsdTest, DestructorStopsARunningScheduler) {
    const std::string skip = PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    pid_t pid = -1;
    {
        PrivateCupsd cupsd;
        std::string error;
        ASSERT_TRUE(cupsd.Start(error)) << error;
        pid = cupsd.Pid();
    }
    EXPECT_FALSE(ProcessExists(pid));
}

}  // namespace
}  // namespace qx7::test
