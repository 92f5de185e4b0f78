#include "core/settings/MemEntry.h"

#include <gtest/gtest.h>

#include <optional>

namespace qx7 {
namespace {

std::optional<std::int32_t> Integer(std::string_view field) {
    std::int32_t value = 0;
    if (!ParseTemplateInteger(field, value)) {
        return std::nullopt;
    }
    return value;
}

TEST(TemplateIntegerTest, AcceptsDecimalHexadecimalAndTheirSeparators) {
    EXPECT_EQ(Integer(""), 0);
    EXPECT_EQ(Integer("57"), 57);
    EXPECT_EQ(Integer(" 5 7 \r\n"), 57);  // blanks, CR and LF go anywhere
    EXPECT_EQ(Integer("-3333"), -3333);
    EXPECT_EQ(Integer("0x8011"), 0x8011);
    EXPECT_EQ(Integer("00X1f"), 0x1F);
    EXPECT_EQ(Integer("0x20111007"), 0x20111007);
    EXPECT_EQ(Integer("\t\t7"), 7);
    EXPECT_EQ(Integer("7\tjunk"), 7);  // a tab ends the number
    EXPECT_EQ(Integer("7+junk"), 7);
    EXPECT_EQ(Integer("0xFFFFFFFF"), -1);
}

TEST(TemplateIntegerTest, RejectsMisplacedMarkersAndLetters) {
    EXPECT_EQ(Integer("-0x5"), std::nullopt);
    EXPECT_EQ(Integer("1x2"), std::nullopt);
    EXPECT_EQ(Integer("x12"), std::nullopt);
    EXPECT_EQ(Integer("0x1x"), std::nullopt);
    EXPECT_EQ(Integer("0x1+"), std::nullopt);  // "+" ends decimals only
    EXPECT_EQ(Integer("12a"), std::nullopt);
    EXPECT_EQ(Integer("--1"), std::nullopt);
    EXPECT_EQ(Integer("1-"), std::nullopt);
}

TEST(TemplateIntegerTest, ExaminesOnlyElevenCharactersAndWraps) {
    // "12345678901" is read, the rest ignored; 12345678901 mod 2^32 = 3755744309.
    EXPECT_EQ(Integer("123456789012345zz"), static_cast<std::int32_t>(3755744309U));
    EXPECT_EQ(Integer("1 2345678901z"), static_cast<std::int32_t>(3755744309U));
}

TEST(TemplateHexTest, DigitCountBlanksAndTabs) {
    std::uint64_t value = 0;
    ASSERT_TRUE(ParseTemplateHex("3F", value));
    EXPECT_EQ(value, 0x3Fu);
    ASSERT_TRUE(ParseTemplateHex("1 23\t\t", value));
    EXPECT_EQ(value, 0x123u);
    ASSERT_TRUE(ParseTemplateHex("0102030405060708", value));
    EXPECT_EQ(value, 0x0102030405060708u);
    EXPECT_FALSE(ParseTemplateHex("", value));
    EXPECT_FALSE(ParseTemplateHex("\t", value));
    EXPECT_FALSE(ParseTemplateHex("01020304050607080", value));  // 17 digits
    EXPECT_FALSE(ParseTemplateHex("12\t3", value));
    EXPECT_FALSE(ParseTemplateHex("G1", value));
}

TEST(MemEntryTest, ValueRowDefaults) {
    CMemEntry entry;
    ASSERT_TRUE(entry.ParseFields("21", "4", "-1000", "2", "Sur_Temp_Adjust"));
    EXPECT_EQ(entry.valueLow, 0xFFFFFC18u);
    EXPECT_EQ(entry.valueHigh, 0u);

    ASSERT_TRUE(entry.ParseFields("75", "4", "-1", "2", "ulReserve1[5]"));
    EXPECT_EQ(entry.Value(), 0xFFFFFFFFu);
    CMemEntry filled = entry;
    const unsigned char ff[] = {0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_TRUE(filled.SetFromBytes(4, ff));
    EXPECT_EQ(filled.Value(), entry.Value());

    ASSERT_TRUE(entry.ParseFields("46", "8", "  0x0102030405060708", "2", "dot"));
    EXPECT_EQ(entry.valueHigh, 0x01020304u);
    EXPECT_EQ(entry.valueLow, 0x05060708u);

    ASSERT_TRUE(entry.ParseFields("3", "1", "", "1", "name  "));
    EXPECT_EQ(entry.Value(), 0u);
    EXPECT_EQ(entry.name, "name  ");
}

TEST(MemEntryTest, CommentAndOtherRows) {
    CMemEntry comment;
    ASSERT_TRUE(comment.ParseFields("", "", "", "", ""));
    EXPECT_EQ(comment.index, kCommentIndex);
    EXPECT_FALSE(comment.ParseFields("", "4", "", "", ""));

    CMemEntry other;
    EXPECT_TRUE(other.ParseFields("-7", "-1", "5", "0", "spare"));
    EXPECT_EQ(other.valueLow, 5u);
    EXPECT_FALSE(other.ParseFields("-7", "4", "5", "0", "spare"));
    EXPECT_FALSE(other.ParseFields("3", "4", "0", "3", "bad attribute"));
    EXPECT_FALSE(other.ParseFields("3", "9", "0", "0", "too big"));
    EXPECT_FALSE(other.ParseFields("3", "", "0", "0", "no size"));
    EXPECT_FALSE(other.ParseFields("3", "4", "0", "0", ""));
    EXPECT_FALSE(other.ParseFields("3", "4", "0xZZ", "0", "bad hex"));
    EXPECT_FALSE(other.ParseFields("3", "4", "1.5", "0", "bad integer"));
}

TEST(MemEntryTest, BytesAreReadMostSignificantFirstWithoutSignExtension) {
    CMemEntry entry;
    ASSERT_TRUE(entry.ParseFields("1", "2", "0", "2", "Origin_Position"));
    const unsigned char bytes[] = {0xFF, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    EXPECT_FALSE(entry.SetFromBytes(4, bytes));
    ASSERT_TRUE(entry.SetFromBytes(2, bytes));
    EXPECT_EQ(entry.valueLow, 65535u);

    entry.size = 8;
    ASSERT_TRUE(entry.SetFromBytes(8, bytes));
    EXPECT_EQ(entry.valueHigh, 0xFFFF1234u);
    EXPECT_EQ(entry.valueLow, 0x56789ABCu);
    for (std::int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(entry.ByteAt(i), bytes[i]) << i;
    }
    EXPECT_EQ(entry.ByteAt(8), 0);
    EXPECT_EQ(entry.ByteAt(-1), 0);
    entry.size = 0;
    EXPECT_EQ(entry.ByteAt(0), 0);
    entry.size = 40;  // never a value row, but must not shift past 64 bits
    EXPECT_EQ(entry.ByteAt(0), 0);
}

}  // namespace
}  // namespace qx7
