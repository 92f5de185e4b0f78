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
