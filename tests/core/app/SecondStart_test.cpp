// A second start: the demo switch read from whole arguments only, the display check, message
// 389 naming the program, the request's bytes and where a handed-over log opens.

#include "core/app/SecondStart.h"

#include <gtest/gtest.h>

#include "core/app/PageFlow.h"
#include "core/app/StartupDecision.h"
#include "core/text/StringTable.h"

namespace qx7 {
namespace {

using Args = std::vector<std::string>;

TEST(DemoSwitchTest, OnlyAWholeArgumentOfTheProgramCounts) {
    EXPECT_TRUE(HasDemoSwitch({"-demo"}));
    EXPECT_TRUE(HasDemoSwitch({"/tmp/a.zlg", "-DEMO"}));
    EXPECT_TRUE(HasDemoSwitch({"--service", "-Demo", "x.log"}));
    // A log path holding the word is a log, not a switch.
    EXPECT_FALSE(HasDemoSwitch({"/media/usb/printer-demo.zlg"}));
    EXPECT_FALSE(HasDemoSwitch({"/home/u/logs -demo/a.zlg"}));
    EXPECT_FALSE(HasDemoSwitch({"--demo", "-demos", "demo"}));
    // The log of --browse, and names after "--", are never options.
    EXPECT_FALSE(HasDemoSwitch({"--browse", "-demo"}));
    EXPECT_TRUE(HasDemoSwitch({"--browse", "a.zlg", "-demo"}));
    EXPECT_FALSE(HasDemoSwitch({"--", "-demo"}));

    const std::string program = "/usr/bin/qx7-service-tool";
    EXPECT_FALSE(DecideStartup(program, Args{"/tmp/x-demo.log"}, kEnglish, '/').demoMode);
    EXPECT_TRUE(DecideStartup(program, Args{"/tmp/x.log", "-demo"}, kEnglish, '/').demoMode);
    // The program's own file name still decides as before.
    EXPECT_TRUE(DecideStartup("/opt/x/qx7-demo-tool", Args{}, kEnglish, '/').demoMode);
    EXPECT_FALSE(DecideStartup("/opt/demo/qx7-service-tool", Args{}, kEnglish, '/').demoMode);
}

TEST(DemoSwitchTest, ACommandLineTextIsSplitAsItsProgramReceivesIt) {
    EXPECT_EQ(SplitCommandLine("  tool  \"C:\\my logs\\a -demo.zlg\"\t-x "),
              (Args{"tool", "C:\\my logs\\a -demo.zlg", "-x"}));
    EXPECT_EQ(SplitCommandLine("a \"\" b"), (Args{"a", "", "b"}));
    EXPECT_FALSE(DecideStartup("C:\\T\\Tool.exe", "C:\\T\\Tool.exe \"C:\\logs -demo\\a.zlg\"",
                               kEnglish, '\\')
                     .demoMode);
    EXPECT_FALSE(
        DecideStartup("/usr/bin/qx7-service-tool", "/usr/bin/qx7-service-tool /tmp/x-demo.log",
                      kEnglish, '/')
            .demoMode);
    EXPECT_TRUE(DecideStartup("C:\\T\\Tool.exe", "C:\\T\\Tool.exe a.zlg -Demo", kEnglish, '\\')
                    .demoMode);
}

TEST(DisplayTest, AWindowNeedsADisplayOrAChosenPlatform) {
    EXPECT_FALSE(DisplayNamed("", "", ""));
    EXPECT_TRUE(DisplayNamed(":0", "", ""));
    EXPECT_TRUE(DisplayNamed("", "wayland-0", ""));
    EXPECT_TRUE(DisplayNamed("", "", "offscreen"));
}

TEST(AlreadyStartedTest, NamesTheProgramAsTheUserStartsItOnThisSystem) {
    std::string english;
    std::string japanese;
    ASSERT_EQ(LoadLocalString(kEnglish, kMsgAlreadyStarted, english), 0);
    ASSERT_EQ(LoadLocalString(kJapanese, kMsgAlreadyStarted, japanese), 0);

    EXPECT_EQ(ProgramName("/usr/bin/qx7-service-tool", '/'), "qx7-service-tool");
    EXPECT_EQ(ProgramName("qx7-service-tool", '/'), "qx7-service-tool");
    EXPECT_EQ(ProgramName("C:\\Tools\\QX-7ServiceTool.exe", '\\'), "QX-7ServiceTool.exe");

    EXPECT_EQ(AlreadyStartedText(kEnglish, "qx7-service-tool"),
              "qx7-service-tool has already started.");
    EXPECT_EQ(AlreadyStartedText(kJapanese, "qx7-service-tool"),
              "qx7-service-toolはすでに起動しています。");
    // The Windows program keeps its texts word for word.
    EXPECT_EQ(AlreadyStartedText(kEnglish, "QX-7ServiceTool.exe"), english);
    EXPECT_EQ(AlreadyStartedText(kJapanese, "QX-7ServiceTool.exe"), japanese);
    EXPECT_EQ(AlreadyStartedText(kEnglish, ""), english);
}

TEST(HandOverBytesTest, RequestsComeThroughWholeAndInPieces) {
    for (const std::string& path :
         {std::string(), std::string("/media/usb/caf\xe9.zlg"), std::string(4096, 'x')}) {
        const std::string bytes = EncodeHandOver({path});
        ASSERT_EQ(bytes.size(), kHandOverHeaderSize + path.size());
        HandOverRequest request{"left over"};
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            ASSERT_EQ(ParseHandOver(std::string_view(bytes).substr(0, size), request),
                      HandOverParse::kIncomplete)
                << size;
        }
        ASSERT_EQ(ParseHandOver(bytes, request), HandOverParse::kComplete);
        EXPECT_EQ(request.logPath, path);
    }
}

TEST(HandOverBytesTest, ARelativeLogIsHandedOverFromTheSecondStartsFolder) {
    EXPECT_EQ(HandedLogPath("caf\xe9.zlg", "/home/u/logs"), "/home/u/logs/caf\xe9.zlg");
    EXPECT_EQ(HandedLogPath("../a.zlg", "/"), "/../a.zlg");
    EXPECT_EQ(HandedLogPath("/media/a.zlg", "/home/u"), "/media/a.zlg");
    EXPECT_EQ(HandedLogPath("", "/home/u"), "");
}

TEST(HandOverBytesTest, AnythingElseIsRefusedAsSoonAsItShows) {
    HandOverRequest request;
    const std::string good = EncodeHandOver({"/a.zlg"});
    EXPECT_EQ(ParseHandOver("GET ", request), HandOverParse::kInvalid);
    EXPECT_EQ(ParseHandOver("Q", request), HandOverParse::kIncomplete);
    EXPECT_EQ(ParseHandOver("X", request), HandOverParse::kInvalid);
    std::string version = good;
    version[4] = 2;
    EXPECT_EQ(ParseHandOver(version.substr(0, 5), request), HandOverParse::kInvalid);
    std::string kind = good;
    kind[5] = 'Z';
    EXPECT_EQ(ParseHandOver(kind.substr(0, 6), request), HandOverParse::kInvalid);
    // A length beyond the bound is refused at the header, before any path byte is awaited.
    std::string huge = good.substr(0, kHandOverHeaderSize);
    huge[6] = '\x7f';
    EXPECT_EQ(ParseHandOver(huge, request), HandOverParse::kInvalid);
    std::string bound = EncodeHandOver({std::string(kHandOverMaxPath + 1, 'x')});
    EXPECT_EQ(ParseHandOver(bound.substr(0, kHandOverHeaderSize), request),
              HandOverParse::kInvalid);
    EXPECT_EQ(ParseHandOver(good + "x", request), HandOverParse::kInvalid);
    EXPECT_EQ(ParseHandOver(EncodeHandOver({std::string("/a\0b", 4)}), request),
              HandOverParse::kInvalid);
    // A log request without a path, and a front request with one.
    std::string emptyLog = EncodeHandOver({});
    emptyLog[5] = 'L';
    EXPECT_EQ(ParseHandOver(emptyLog, request), HandOverParse::kInvalid);
    std::string frontWithPath = good;
    frontWithPath[5] = 'A';
    EXPECT_EQ(ParseHandOver(frontWithPath, request), HandOverParse::kInvalid);
}

TEST(HandedLogPlaceTest, TheLogPageOnlyWhereNothingIsUnderWay) {
    const auto place = [](bool wizard, int page, bool busy = false, bool dialog = false) {
        return PlaceForHandedLog({wizard, page, busy, dialog});
    };
    for (const int page : {PageNumber(PageId::kPartsMenu), PageNumber(PageId::kOperationMenu),
                           PageNumber(PageId::kLogFileChoice), PageNumber(PageId::kLogViewers)}) {
        EXPECT_EQ(place(true, page), HandedLogPlace::kLogPage) << page;
        EXPECT_EQ(place(true, page, true), HandedLogPlace::kEntryBrowser) << page;
        EXPECT_EQ(place(true, page, false, true), HandedLogPlace::kEntryBrowser) << page;
        EXPECT_EQ(place(false, page), HandedLogPlace::kEntryBrowser) << page;
    }
    // A procedure under way (printer selection, the thermistor, the clock) keeps its page.
    for (const int page :
         {PageNumber(PageId::kConnection), PageNumber(PageId::kPrinterSelection), 135, 160, 172}) {
        EXPECT_EQ(place(true, page), HandedLogPlace::kEntryBrowser) << page;
    }
}

}  // namespace
}  // namespace qx7
