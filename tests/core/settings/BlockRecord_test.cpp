#include "core/settings/BlockRecord.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/base/ByteOrder.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

using Bytes = std::vector<unsigned char>;

// 8 bytes nobody reads, n, the data and the word sum, as the printer stores a block.
Bytes Record(const Bytes& data) {
    Bytes record(8, 0xA5);
    record.resize(12);
    WriteU32BE(record.data() + 8, static_cast<std::uint32_t>(data.size()));
    record.insert(record.end(), data.begin(), data.end());
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
        sum += ReadU32BE(data.data() + i);
    }
    record.resize(record.size() + 4);
    WriteU32BE(record.data() + record.size() - 4, sum);
    return record;
}

TEST(BlockRecordTest, GoodRecordsGiveTheirData) {
    const Bytes data = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x02};  // the sum wraps to 1
    const Bytes record = Record(data);
    ASSERT_EQ(ReadU32BE(record.data() + record.size() - 4), 1u);
    std::uint32_t n = 0;
    EXPECT_EQ(CheckBlockRecord(record.data(), record.size(), n), record.data() + 12);
    EXPECT_EQ(n, 8u);

    const Bytes empty = Record({});
    EXPECT_EQ(CheckBlockRecord(empty.data(), empty.size(), n), empty.data() + 12);
    EXPECT_EQ(n, 0u);
}

TEST(BlockRecordTest, WrongLengthOddSizeOrSumIsRejected) {
    const Bytes record = Record({1, 2, 3, 4, 5, 6, 7, 8});
    std::uint32_t n = 77;
    EXPECT_EQ(CheckBlockRecord(record.data(), record.size() - 1, n), nullptr);  // n + 15
    Bytes longer = record;
    longer.push_back(0);
    EXPECT_EQ(CheckBlockRecord(longer.data(), longer.size(), n), nullptr);  // n + 17

    Bytes six = Record({1, 2, 3, 4, 5, 6, 0, 0});  // n = 6 with a record of 22 bytes
    WriteU32BE(six.data() + 8, 6);
    six.erase(six.begin() + 18, six.begin() + 20);
    ASSERT_EQ(six.size(), 22u);
    EXPECT_EQ(CheckBlockRecord(six.data(), six.size(), n), nullptr);

    Bytes badSum = record;
    badSum.back() ^= 1;
    EXPECT_EQ(CheckBlockRecord(badSum.data(), badSum.size(), n), nullptr);

    Bytes huge = record;  // n near 2^32 must not wrap into a small record length
    WriteU32BE(huge.data() + 8, 0xFFFFFFF8U);
    EXPECT_EQ(CheckBlockRecord(huge.data(), huge.size(), n), nullptr);

    EXPECT_EQ(CheckBlockRecord(record.data(), 15, n), nullptr);
    EXPECT_EQ(CheckBlockRecord(nullptr, 0, n), nullptr);
    EXPECT_EQ(n, 77u);
}

class BlockFillTest : public ::testing::Test {
  protected:
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
    CEEPFile values;
    CEEPFile factory;

    // The messages of a file's last operation, as its caller shows them.
    std::vector<std::string> Shown(const CEEPFile& file) {
        sink.shown.clear();
        file.Report().Show(messages);
        return sink.shown;
    }
};

TEST_F(BlockFillTest, RowsThatNoLongerFitGetZeroAndSmallerRowsStillTakeTheRest) {
    ASSERT_TRUE(
        values.ParseText("-3333,0x8099,QX7 EEPROM TEMPLATE,1,T\r\n"
                         "0,4,7,1,a\r\n# between\r\n1,4,7,1,b\r\n2,2,7,1,c\r\n3,1,7,1,d\r\n"));
    const unsigned char data[] = {0, 0, 0, 9, 0xAB, 0xCD};
    ASSERT_TRUE(values.FillValues(sizeof data, data));
    EXPECT_EQ(values.FindEntry(0)->valueLow, 9u);
    EXPECT_EQ(values.FindEntry(1)->valueLow, 0u);
    EXPECT_EQ(values.FindEntry(2)->valueLow, 0xABCDu);
    EXPECT_EQ(values.FindEntry(3)->valueLow, 0u);
    EXPECT_EQ(values.Entries()[2].text, "# between");

    const unsigned char more[] = {0, 0, 0, 1, 0, 0, 0, 2, 0, 3, 4, 0xEE, 0xEE};
    ASSERT_TRUE(values.FillValues(sizeof more, more));  // extra bytes are ignored
    EXPECT_EQ(values.FindEntry(1)->valueLow, 2u);
    EXPECT_EQ(values.FindEntry(3)->valueLow, 4u);
    EXPECT_TRUE(Shown(values).empty());
}

TEST_F(BlockFillTest, DisplayLoadsFactoryOnlyWhenAskedAndRejectsBadRecords) {
    Bytes data(204, 0);
    const Bytes record = Record(data);
    bool factoryLoaded = true;
    EXPECT_EQ(LoadSettingsRecord(220, record.data(), record.size(), false, values, factory,
                                 factoryLoaded),
              SettingsLoadResult::Ok);
    EXPECT_FALSE(factoryLoaded);
    EXPECT_EQ(values.GetCount(), 57);

    EXPECT_EQ(
        LoadSettingsRecord(220, record.data(), record.size(), true, values, factory, factoryLoaded),
        SettingsLoadResult::Ok);
    EXPECT_TRUE(factoryLoaded);
    EXPECT_EQ(factory.FindEntry(0)->valueLow, 3u);

    Bytes bad = record;
    bad[20] ^= 0x10;
    EXPECT_EQ(LoadSettingsRecord(220, bad.data(), bad.size(), true, values, factory, factoryLoaded),
              SettingsLoadResult::BadRecord);
    EXPECT_EQ(
        LoadSettingsRecord(0, record.data(), record.size(), true, values, factory, factoryLoaded),
        SettingsLoadResult::BadTemplate);
    EXPECT_FALSE(factoryLoaded);
    EXPECT_TRUE(Shown(values).empty());
    EXPECT_TRUE(Shown(factory).empty());
}

TEST_F(BlockFillTest, EachBlockOfTheTableHasTheTemplateOfItsIdAndTitle) {
    for (const SettingsBlockInfo& info : kSettingsBlocks) {
        ASSERT_TRUE(factory.LoadTemplate(info.templateNumber)) << info.tag;
        std::int32_t blockId = 0;
        std::int32_t version = 0;
        std::string signature;
        std::string title;
        ASSERT_TRUE(factory.GetHeader(blockId, version, signature, title));
        EXPECT_EQ(blockId, info.blockId) << info.tag;
        EXPECT_EQ(title, info.title) << info.tag;
        EXPECT_EQ(FindSettingsBlock(info.blockId), &info);
    }
    EXPECT_EQ(FindSettingsBlock(0x8017), nullptr);
}

}  // namespace
}  // namespace qx7
