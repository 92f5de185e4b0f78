#include "core/app/FieldValidation.h"

#include <gtest/gtest.h>

#include <limits>

namespace qx7 {
namespace {

TEST(FieldValidationTest, NumbersTheFieldsAccept) {
    EXPECT_EQ(ParseNumberText("20"), 20.0);
    EXPECT_EQ(ParseNumberText("  -9.75\t"), -9.75);
    EXPECT_EQ(ParseNumberText("+3"), 3.0);
    EXPECT_EQ(ParseNumberText(".5"), 0.5);
    EXPECT_EQ(ParseNumberText("5."), 5.0);
    EXPECT_EQ(ParseNumberText("2.5E1"), 25.0);
    EXPECT_EQ(ParseNumberText("1e-3"), 0.001);
    EXPECT_EQ(ParseNumberText("1e308"), 1e308);
    // Too small to hold is zero, not an error.
    EXPECT_EQ(ParseNumberText("1e-999"), 0.0);
    EXPECT_EQ(ParseNumberText("0.0001e-400"), 0.0);
}

TEST(FieldValidationTest, TextsThatAreNoNumber) {
    for (const char* text :
         {"",    " ",         "abc",   "7a",     "a7",     "1,5",  "1.2.3", "--1",
          "+",   ".",         "e5",    "1e",     "1e+",    "0x10", "nan",   "NaN",
          "inf", "-infinity", "1e999", "-1e999", "10e308", "1 2"}) {
        EXPECT_FALSE(ParseNumberText(text).has_value()) << '"' << text << '"';
    }
}

TEST(FieldValidationTest, GeneralFormatWithFifteenDigits) {
    EXPECT_EQ(FormatNumberText(20.0), "20");
    EXPECT_EQ(FormatNumberText(68.0), "68");
    EXPECT_EQ(FormatNumberText(21.11), "21.11");
    EXPECT_EQ(FormatNumberText(-13.88), "-13.88");
    EXPECT_EQ(FormatNumberText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatNumberText(1e15), "1e+15");
    EXPECT_EQ(FormatNumberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatNumberText(0.0001), "0.0001");
    EXPECT_EQ(FormatNumberText(0.00001), "1e-05");
}

TEST(FieldValidationTest, Integers) {
    EXPECT_EQ(ParseIntegerText("31"), 31);
    EXPECT_EQ(ParseIntegerText(" -5 "), -5);
    EXPECT_EQ(ParseIntegerText("+0"), 0);
    EXPECT_EQ(ParseIntegerText("007"), 7);
    for (const char* text : {"", "-", "3.0", "1e2", "x", "3 1", "0x1F"}) {
        EXPECT_FALSE(ParseIntegerText(text).has_value()) << '"' << text << '"';
    }
    EXPECT_EQ(ParseIntegerText("99999999999999999999999"),
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseIntegerText("-99999999999999999999999"),
              -std::numeric_limits<std::int64_t>::max());
}

TEST(FieldValidationTest, TextsWithTheirArgumentsInBothLanguages) {
    EXPECT_EQ(ValidationText(kEnglish, kMsgEnterNumber), "Enter a number.");
    EXPECT_EQ(ValidationText(kEnglish, kMsgEnterIntegerBetween, {"1", "31"}),
              "Enter an integer between 1 and 31.");
    EXPECT_EQ(ValidationText(kJapanese, kMsgEnterIntegerBetween, {"2000", "2100"}),
              "2000 から 2100 までの整数を入力してください。");
    EXPECT_EQ(ValidationText(kEnglish, kMsgEnterPositiveInteger), "Enter a positive integer.");
    EXPECT_EQ(ValidationText(kJapanese, kMsgEnterInteger), "整数を入力してください。");
    EXPECT_EQ(ValidationText(kEnglish, 4999), "");
    EXPECT_EQ(FillArguments("%2-%1-%3%", {"a", "b"}), "b-a-%3%");
    EXPECT_EQ(FillArguments("100%1", {"%2"}), "100%2");  // arguments are not filled again
}

TEST(FieldValidationTest, IntegerFieldWithRange) {
    EXPECT_EQ(ReadIntegerField("31", 1, 31, kEnglish).value, 31);
    const IntegerFieldResult high = ReadIntegerField("32", 1, 31, kEnglish);
    EXPECT_FALSE(high.value);
    EXPECT_EQ(high.message, "Enter an integer between 1 and 31.");
    EXPECT_EQ(ReadIntegerField("99999999999", 0, 59, kEnglish).message,
              "Enter an integer between 0 and 59.");
    EXPECT_EQ(ReadIntegerField("1.5", 0, 59, kEnglish).message, "Enter an integer.");
    EXPECT_EQ(ReadIntegerField("", 0, 59, kEnglish).message, "Enter an integer.");
}

}  // namespace
}  // namespace qx7
