#include "platform/win32/Win32TextEncoder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/TextEncoding.h"

namespace qx7 {
namespace {

std::string Encode(const std::string& encoding, const std::string& utf8) {
    const auto encoder = MakeTextEncoder(encoding);
    if (!encoder) {
        ADD_FAILURE() << "no encoder for " << encoding;
        return {};
    }
    return encoder->FromUtf8(utf8);
}

TEST(Win32TextEncoderTest, Utf8InAnySpellingPassesThrough) {
    for (const char* name : {"UTF-8", "utf-8", "Utf8", "UTF8"}) {
        const auto utf8 = MakeTextEncoder(name);
        ASSERT_TRUE(utf8) << name;
        EXPECT_EQ(utf8->Name(), "UTF-8");
        EXPECT_EQ(utf8->FromUtf8("\xE6\xB8\xA9 ok"), "\xE6\xB8\xA9 ok");
    }
}

TEST(Win32TextEncoderTest, ShiftJisUnderEveryNameItGoesBy) {
    // U+6E29 U+5EA6 ("temperature") and the degree-Celsius sign.
    const std::string text = "\xE6\xB8\xA9\xE5\xBA\xA6\xE2\x84\x83";
    for (const char* name : {"CP932", "cp932", "windows-932", "Windows-932", "SHIFT_JIS",
                             "Shift_JIS", "SJIS", "sjis", "Shift-JIS"}) {
        const auto sjis = MakeTextEncoder(name);
        ASSERT_TRUE(sjis) << name;
        EXPECT_EQ(sjis->Name(), name);
        EXPECT_EQ(sjis->FromUtf8(text), "\x89\xB7\x93\x78\x81\x8E") << name;
    }
    EXPECT_EQ(Encode("CP932", std::string("a\0b", 3)), std::string("a\0b", 3));
    // A long text goes through whole, not cut at some buffer size.
    std::string many;
    for (int i = 0; i < 5000; ++i) {
        many += "\xE6\xB8\xA9x";
    }
    const std::string out = Encode("CP932", many);
    ASSERT_EQ(out.size(), 15000u);
    EXPECT_EQ(out.substr(14997), "\x89\xB7x");
}

TEST(Win32TextEncoderTest, WhatTheCodePageLacksIsOneQuestionMarkWithoutLookAlikes) {
    // e-acute has no place in CP932; a best-fit table would turn it into a plain 'e'.
    EXPECT_EQ(Encode("CP932", "caf\xC3\xA9"), "caf?");
    // A-macron would best-fit to 'A' in Latin-1.
    EXPECT_EQ(Encode("ISO-8859-1",
                     "a\xE6\xB8\xA9"
                     "b\xC4\x80"),
              "a?b?");
    EXPECT_EQ(Encode("LATIN1", "\xC3\xA9"), "\xE9");
    EXPECT_EQ(Encode("CP1252", "\xE2\x82\xAC\xC5\x93"), "\x80\x9C");
    // A character beyond the first plane (a face) is one character, so one '?'.
    EXPECT_EQ(Encode("CP932", "<\xF0\x9F\x98\x80>"), "<?>");
    EXPECT_EQ(Encode("CP1252", "<\xF0\x9F\x98\x80>"), "<?>");
}

TEST(Win32TextEncoderTest, SameBytesAsTheLinuxConverterWhereTheTablesDiffer) {
    // Yen sign, overline, minus sign and wave dash have one-way JIS mappings there.
    EXPECT_EQ(Encode("CP932", "\xC2\xA5\xE2\x80\xBE\xE2\x88\x92\xE3\x80\x9C"),
              "\x5C\x7E\x81\x7C\x81\x60");
    EXPECT_EQ(Encode("CP932", "\xC2\xA2\xC2\xA3\xC2\xAC\xE2\x80\x94\xE2\x80\x96"),
              "\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x61");
    // U+0080 and the private-use U+F8F0 have Windows-only bytes.
    EXPECT_EQ(Encode("CP932", "\xC2\x80\xEF\xA3\xB0"), "??");
    // Bytes CP1252 leaves undefined are not characters.
    EXPECT_EQ(Encode("CP1252", "\xC2\x81\xC2\x8D\xC2\x9D"), "???");
    EXPECT_EQ(Encode("ISO-8859-1", "\xC2\x81"), "\x81");
}

TEST(Win32TextEncoderTest, EucJpHasTheThreeByteJisX0212Form) {
    // U+6E29 from JIS X 0208; U+4E02 and the fullwidth tilde from JIS X 0212.
    EXPECT_EQ(Encode("EUC-JP",
                     "\xE6\xB8\xA9\xE4\xB8\x82\xEF\xBD\x9E"
                     "a"),
              "\xB2\xB9\x8F\xB0\xA1\x8F\xA2\xB7"
              "a");
    EXPECT_EQ(Encode("euc-jp", "\xC2\x85\xEE\x80\x80"), "\x85?");
}

TEST(Win32TextEncoderTest, InvalidUtf8IsSkippedAsTheLeadByteAnnounces) {
    EXPECT_EQ(Encode("ISO-8859-1", "x\x80y\xE6\xB8"), "x?y?");
    // A three-byte lead takes the two bytes after it along, whatever they are.
    EXPECT_EQ(Encode("CP932",
                     "\xE6\x41\x42"
                     "c"),
              "?c");
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
    EXPECT_EQ(Encode("CP932", "\xC0\xAF"), "??");
    EXPECT_EQ(Encode("CP932",
                     "\xE0\x80\x80"
                     "a"),
              "?a");
    EXPECT_EQ(Encode("CP932",
                     "\xED\xA0\x80"
                     "a"),
              "?a");
    EXPECT_EQ(Encode("CP932",
                     "\xF4\x90\x80\x80"
                     "a"),
              "?a");
    EXPECT_EQ(Encode("CP932", "\xF8\x88\x80\x80\x80"), "?????");
    EXPECT_EQ(Encode("CP932", "\xC3\xC3\xA9"), "??");
    EXPECT_EQ(Encode("CP932", "a\xC3"), "a?");
}

TEST(Win32TextEncoderTest, UnknownNamesAndCodePagesGiveNoEncoder) {
    for (const char* name : {"NO-SUCH-ENCODING-X", "", "CP", "cp-932", "CP932x", "CP99999",
                             "CP12345", "windows-", "windows-0", "Shift JIS"}) {
        EXPECT_EQ(MakeTextEncoder(name), nullptr) << name;
    }
    EXPECT_EQ(CodePageFromEncodingName("windows-1252"), 1252u);
    EXPECT_EQ(CodePageFromEncodingName("latin1"), 28591u);
    EXPECT_EQ(CodePageFromEncodingName("EUC-JP"), 20932u);
}

TEST(Win32TextEncoderTest, SystemEncodingIsTheAnsiCodePage) {
    // This test program has no code-page manifest, so GetACP() is the system's ANSI code page.
    const std::string name = SystemTextEncodingName();
    EXPECT_EQ(name, "CP" + std::to_string(GetACP()));
    EXPECT_NE(MakeTextEncoder(name), nullptr);
    const char* all = std::getenv("LC_ALL");
    if (all != nullptr && std::string(all).rfind("ja", 0) == 0) {
        // Wine makes a Japanese system of a Japanese locale at start.
        EXPECT_EQ(name, "CP932");
    }
}

}  // namespace
}  // namespace qx7
