#include "core/app/VersionLine.h"

#include <gtest/gtest.h>

namespace qx7 {
namespace {

TEST(VersionLineTest, BuiltVersionOnBothMenuPages) {
    const std::string line = VersionLine(BuiltProgramVersion());
    EXPECT_EQ(line, "2.0.4.0");
    EXPECT_EQ(MenuVersionText(PageId::kPartsMenu, line),
              "QX-7 Service Tool for User: Version 2.0.4.0");
    EXPECT_EQ(MenuVersionText(PageId::kOperationMenu, line), "QX-7 Service Tool : Version 2.0.4.0");
    EXPECT_EQ(MenuVersionText(PageId::kConnection, line), "");
    EXPECT_EQ(VersionLine({65535, 10, 0, 4294967295u}), "65535.10.0.4294967295");
}

}  // namespace
}  // namespace qx7
