#include <gtest/gtest.h>

#include "core/base/ByteOrder.h"
#include "platform/TextEncoding.h"
#include "platform/SystemEnvironment.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

TEST(TextEncoderTest, Utf8IsTheDefaultAndPassesThrough) {
    const auto utf8 = MakeTextEncoder("utf8");
    ASSERT_TRUE(utf8);
    EXPECT_EQ(utf8->FromUtf8("\xE6\xB8\xA9 ok"), "\xE6\xB8\xA9 ok");
}

TEST(TextEncoderTest, ShiftJisAndReplacementOfWhatTheTargetLacks) {
    const auto sjis = MakeTextEncoder("CP932");
    ASSERT_TRUE(sjis);
    // U+6E29 U+5EA6 ("temperature") and the degree-Celsius sign.
    EXPECT_EQ(sjis->FromUtf8("\xE6\xB8\xA9\xE5\xBA\xA6\xE2\x84\x83"),
              "\x89\xB7\x93\x78\x81\x8E");
    const auto latin = MakeTextEncoder("ISO-8859-1");
    ASSERT_TRUE(latin);
    EXPECT_EQ(latin->FromUtf8("a\xE6\xB8\xA9" "b"), "a?b");
    // Invalid UTF-8: a stray continuation byte and a sequence cut at the end.
    EXPECT_EQ(latin->FromUtf8("x\x80y\xE6\xB8"), "x?y?");
    EXPECT_EQ(MakeTextEncoder("NO-SUCH-ENCODING-X"), nullptr);
}

TEST(SystemEnvironmentTest, LanguageComesFromTheFirstSetLocaleVariable) {
    {
        test::ScopedEnv all("LC_ALL", "ja_JP.UTF-8");
        test::ScopedEnv lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(SystemDefaultLanguage(), kJapanese);
    }
    {
        test::ScopedEnv all("LC_ALL", std::nullopt);
        test::ScopedEnv messages("LC_MESSAGES", "");
        test::ScopedEnv lang("LANG", "ja_JP.eucJP");
        EXPECT_EQ(SystemDefaultLanguage(), kJapanese);
    }
    {
        test::ScopedEnv all("LC_ALL", "C");
        test::ScopedEnv lang("LANG", "ja_JP.UTF-8");
        EXPECT_EQ(SystemDefaultLanguage(), kEnglish);
    }
    {
        test::ScopedEnv all("LC_ALL", std::nullopt);
        test::ScopedEnv messages("LC_MESSAGES", std::nullopt);
        test::ScopedEnv lang("LANG", std::nullopt);
        EXPECT_EQ(SystemDefaultLanguage(), kEnglish);
    }
}

TEST(SystemEnvironmentTest, ExecutablePathNamesThisTestProgram) {
    EXPECT_NE(ExecutablePath().find("qx7_unit_tests"), std::string::npos);
}

TEST(ByteOrderTest, MostSignificantByteFirst) {
    unsigned char bytes[6] = {};
    WriteU32BE(bytes, 0x45644765u);
    WriteU16BE(bytes + 4, 0x004Bu);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "EdGe");
    EXPECT_EQ(bytes[4], 0x00);
    EXPECT_EQ(bytes[5], 0x4B);
    EXPECT_EQ(ReadU32BE(bytes), 0x45644765u);
    EXPECT_EQ(ReadU16BE(bytes + 4), 0x004Bu);
}

}  // namespace
}  // namespace qx7
