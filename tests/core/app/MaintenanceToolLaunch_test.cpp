#include "core/app/MaintenanceToolLaunch.h"

#include <gtest/gtest.h>

#include <set>

namespace qx7 {
namespace {

class MaintenanceToolTest : public ::testing::Test {
  protected:
    std::optional<std::string> Find(std::string_view path, std::string_view programDirectory) {
        asked.clear();
        return FindMaintenanceTool(path, programDirectory, [this](const std::string& candidate) {
            asked.push_back(candidate);
            return executables.contains(candidate);
        });
    }
    std::set<std::string> executables;
    std::vector<std::string> asked;
};

TEST_F(MaintenanceToolTest, BesideTheProgramFirstThenPathInOrder) {
    executables = {"/opt/qx7/bin/qx7-maintenance", "/usr/bin/qx7-maintenance",
                   "/usr/local/bin/qx7-maintenance"};
    EXPECT_EQ(Find("/usr/local/bin:/usr/bin", "/opt/qx7/bin/"), "/opt/qx7/bin/qx7-maintenance");
    EXPECT_EQ(Find("/usr/local/bin:/usr/bin", "/opt/qx7/other"), "/usr/local/bin/qx7-maintenance");
    EXPECT_EQ(Find("/sbin:/usr/bin/", ""), "/usr/bin/qx7-maintenance");
    EXPECT_EQ(asked,
              (std::vector<std::string>{"/sbin/qx7-maintenance", "/usr/bin/qx7-maintenance"}));
}

TEST_F(MaintenanceToolTest, EmptyAndRelativePathEntriesAreNotSearched) {
    executables = {"qx7-maintenance", "bin/qx7-maintenance", "./qx7-maintenance"};
    EXPECT_FALSE(Find("::bin:.:", "").has_value());
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(Find("", "").has_value());
    EXPECT_FALSE(Find("/usr/bin", "/opt/qx7/").has_value());
    EXPECT_EQ(asked,
              (std::vector<std::string>{"/opt/qx7/qx7-maintenance", "/usr/bin/qx7-maintenance"}));
}

}  // namespace
}  // namespace qx7
