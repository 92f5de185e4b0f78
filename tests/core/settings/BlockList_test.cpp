#include "core/settings/BlockList.h"

#include <gtest/gtest.h>

#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using loggen::ContainerBuilder;
using loggen::SettingsRecord;

class BlockListTest : public ::testing::Test {
  protected:
    std::vector<SettingsBlockSlot> Read(const std::string& bytes, int* opened = nullptr) {
        const std::string path = dir.File("p1.log");
        test::WriteFile(path, bytes);
        CQXLogFile reader(clock);
        auto slots = ReadSettingsBlocks(reader, path, opened);
        EXPECT_TRUE(reader.Report().Empty());
        return slots;
    }

    test::TempDir dir;
    test::FixedNowLocalTime clock{1700000000};
};

TEST_F(BlockListTest, SlotsHoldTemplateRecordAndItemTextInBlockOrder) {
    const std::string general = SettingsRecord(std::vector<unsigned char>(204, 7));
    const std::string interlace = SettingsRecord(std::vector<unsigned char>(308, 1));
    const auto slots =
        Read(ContainerBuilder().Block("EP15", interlace).Block("EP11", general).End().Plain());
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[0].itemText, "8011 : General parameters");
    EXPECT_EQ(slots[0].block->templateNumber, 220);
    EXPECT_EQ(slots[0].recordLength, general.size());
    EXPECT_EQ(std::string(slots[0].record.begin(), slots[0].record.end()), general);
    EXPECT_EQ(slots[1].itemText, "8015 : Interlace");
    EXPECT_EQ(std::string(slots[1].record.begin(), slots[1].record.end()), interlace);
}

TEST_F(BlockListTest, BlocksThatCannotBeReadAreLeftOut) {
    const std::string general = SettingsRecord(std::vector<unsigned char>(204, 7));
    // EP13 claims nearly 4 GiB: neither allocated nor listed. EP14 runs past the end of the
    // file: its read fails. EP12 before them is still listed.
    const auto slots = Read(ContainerBuilder()
                                .Block("EP12", SettingsRecord(std::vector<unsigned char>(64, 0)))
                                .BlockWithLength("EP13", 0xFFFFFFF0U, general)
                                .Plain());
    ASSERT_EQ(slots.size(), 1u);
    EXPECT_EQ(slots[0].block->blockId, 0x8012);

    const auto cut = Read(
        ContainerBuilder().Block("EP11", general).BlockWithLength("EP14", 600, general).Plain());
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].block->blockId, 0x8011);
}

TEST_F(BlockListTest, BareAndMissingLogsHaveNoBlocks) {
    int opened = 5;
    EXPECT_TRUE(Read(std::string(40, 'x'), &opened).empty());
    EXPECT_EQ(opened, 0);
    CQXLogFile reader(clock);
    EXPECT_TRUE(ReadSettingsBlocks(reader, dir.File("missing.log"), &opened).empty());
    EXPECT_EQ(opened, -1);
    EXPECT_TRUE(reader.Report().Empty());
}

}  // namespace
}  // namespace qx7
