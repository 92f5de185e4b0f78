// Win32Spooler without any printer installed: what it refuses before the spooler is asked, and
// the UTF-8 and UTF-16 names at its edge. With a printer: tests/platform/win32/integration.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Spooler.h"

namespace qx7 {
namespace {

TEST(Win32Spooler, HandlesItNeverOpenedAreRefused) {
    Win32Spooler spooler;
    for (const PrinterHandle handle : {kNoPrinterHandle, PrinterHandle{1}, PrinterHandle{~0ULL}}) {
        unsigned char value[4] = {};
        std::uint32_t reported = 5;
        EXPECT_EQ(spooler.GetPrinterData(handle, "QvMatCheck", value, 4, reported),
                  kSpoolInvalidHandle);
        EXPECT_EQ(reported, 0U);
        EXPECT_FALSE(spooler.StartDocPrinter(handle, "QX Data", "RAW"));
        EXPECT_FALSE(spooler.StartPagePrinter(handle));
        std::uint32_t written = 3;
        EXPECT_FALSE(spooler.WritePrinter(handle, value, 4, written));
        EXPECT_EQ(written, 0U);
        EXPECT_FALSE(spooler.EndPagePrinter(handle));
        EXPECT_FALSE(spooler.EndDocPrinter(handle));
        spooler.ClosePrinter(handle);  // nothing to close, nothing crashes
    }
}

TEST(Win32Spooler, NamesThatNameNoPrinterDoNotOpen) {
    Win32Spooler spooler;
    // An empty name would open the print server itself; a NUL would cut the name short.
    const std::vector<std::string> names = {"", std::string("QX-7\0x", 6), "QX-7 \xFF\xFE",
                                            "QX-7 no such printer 0123456789"};
    for (const std::string& name : names) {
        PrinterHandle handle = 77;
        EXPECT_FALSE(spooler.OpenPrinter(name, kPrinterAllAccess, handle)) << name;
        EXPECT_EQ(handle, kNoPrinterHandle);
    }
    EXPECT_EQ(spooler.OpenCount(), 0U);
}

TEST(Win32Spooler, ListingSucceedsWhateverIsInstalled) {
    Win32Spooler spooler;
    std::vector<PrinterRecord> records{{"stale", "stale", "stale"}};
    ASSERT_TRUE(spooler.EnumPrinters(records));
    for (const PrinterRecord& record : records) {
        EXPECT_FALSE(record.name.empty());
        EXPECT_NE(record.name, "stale");
    }
}

TEST(Win32Spooler, NamesConvertBothWaysAndRefuseBrokenText) {
    const std::string japanese = "\xE3\x83\xAD\xE3\x82\xB0 QX-7 \xF0\x9F\x96\xA8";  // with a pair
    std::wstring wide;
    ASSERT_TRUE(win32::StrictWideFromUtf8(japanese, wide));
    EXPECT_EQ(wide, std::wstring(L"\u30ed\u30b0 QX-7 \xD83D\xDDA8"));
    std::string back;
    ASSERT_TRUE(win32::StrictUtf8FromWide(wide.c_str(), back));
    EXPECT_EQ(back, japanese);
    // Overlong forms, stray continuation bytes and lone surrogates are no names.
    for (const std::string& broken :
         {std::string("\xC0\xAF"), std::string("a\x80"), std::string("\xED\xA0\x80")}) {
        EXPECT_FALSE(win32::StrictWideFromUtf8(broken, wide)) << broken;
    }
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'\0'};
    EXPECT_FALSE(win32::StrictUtf8FromWide(lone, back));
    EXPECT_TRUE(win32::StrictUtf8FromWide(nullptr, back));
    EXPECT_EQ(back, "");
}

}  // namespace
}  // namespace qx7
