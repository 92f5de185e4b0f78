#include "core/app/QVJServToolApp.h"

#include <gtest/gtest.h>

#include "core/comm/PrinterLink.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

const std::string kInternal =
    "Internal Error.\nRestart PC and try again.\nIf failed, Please contact QVL";

TEST(StartupDecisionTest, DemoFromFileNameInAnyCaseOrFromTheSwitch) {
    EXPECT_TRUE(DecideStartup("C:\\Tools\\ServiceDemo.exe", "", kEnglish, '\\').demoMode);
    EXPECT_TRUE(DecideStartup("C:\\Tools\\DEMOtool.exe", "", kEnglish, '\\').demoMode);
    EXPECT_FALSE(DecideStartup("C:\\Tools\\Service.exe", "", kEnglish, '\\').demoMode);
    EXPECT_TRUE(DecideStartup("C:\\Tools\\Service.exe", "-DEMO", kEnglish, '\\').demoMode);
    EXPECT_TRUE(DecideStartup("/opt/qx7/qx7tool", "--x -Demo", kEnglish, '/').demoMode);
    EXPECT_FALSE(DecideStartup("/opt/qx7/qx7tool", "demo", kEnglish, '/').demoMode);
}

TEST(StartupDecisionTest, FolderNamesDoNotCount) {
    EXPECT_FALSE(DecideStartup("C:\\demo\\Service.exe", "", kEnglish, '\\').demoMode);
    EXPECT_EQ(DecideStartup("C:\\english\\Service.exe", "", kJapanese, '\\').language, kJapanese);
    EXPECT_EQ(DecideStartup("/home/eng/qx7tool", "", kJapanese, '/').language, kJapanese);
    // With the other platform's separator the whole path is one name.
    EXPECT_TRUE(DecideStartup("C:\\demo\\Service.exe", "", kEnglish, '/').demoMode);
}

TEST(StartupDecisionTest, LanguageFromFileNameThenSystem) {
    EXPECT_EQ(DecideStartup("C:\\x\\ToolENG.exe", "", kJapanese, '\\').language, kEnglish);
    EXPECT_EQ(DecideStartup("C:\\x\\Tool.exe", "", kJapanese, '\\').language, kJapanese);
    EXPECT_EQ(DecideStartup("C:\\x\\Tool.exe", "", kEnglish, '\\').language, kEnglish);
    EXPECT_EQ(DecideStartup("C:\\x\\Tool.exe", "", 1031, '\\').language, kEnglish);
}

TEST(StartupDecisionTest, FileNamePartKeepsTheSeparatorAfterTheFirstCharacter) {
    EXPECT_EQ(FileNamePart("C:\\Tools\\Service.exe", '\\'), "\\Service.exe");
    EXPECT_EQ(FileNamePart("\\Service.exe", '\\'), "\\Service.exe");
    EXPECT_EQ(FileNamePart("Service.exe", '\\'), "Service.exe");
    EXPECT_EQ(FileNamePart("/usr/bin/qx7", '/'), "/qx7");
}

TEST(StartupDecisionTest, LocaleNames) {
    EXPECT_EQ(LanguageFromLocaleName("ja_JP.UTF-8"), kJapanese);
    EXPECT_EQ(LanguageFromLocaleName("ja"), kJapanese);
    EXPECT_EQ(LanguageFromLocaleName("en_US.UTF-8"), kEnglish);
    EXPECT_EQ(LanguageFromLocaleName("C"), kEnglish);
    EXPECT_EQ(LanguageFromLocaleName(""), kEnglish);
}

class AppTest : public ::testing::Test {
protected:
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink, '\\'};
};

// The pages reach the printer through the app's one session; the session says nothing itself,
// success or failure: the messages are the pages' to decide.
TEST_F(AppTest, HoldsOnePrinterSessionThatShowsNothing) {
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    spooler.Add("QX-7 A");
    app.Printer().SetServices(&spooler, &sleeper, &clock);
    app.Printer().SetSelectedPrinter("QX-7 A");
    const CQVJServToolApp& shown = app;
    EXPECT_EQ(&shown.Printer(), &app.Printer());
    EXPECT_EQ(shown.Printer().GetSelectedPrinter(), "QX-7 A");
    EXPECT_TRUE(shown.Printer().HasServices());

    spooler.QueueReply(test::FakeSpooler::MakeReply(0x24, 0));
    EXPECT_TRUE(app.Printer().RecordPumpExchange());
    EXPECT_FALSE(app.Printer().StartCarriageSpeedAdjustment());  // no reply
    EXPECT_EQ(shown.Printer().GetLastResult(), kLinkNoReply);
    EXPECT_EQ(spooler.jobs.size(), 2u);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(AppTest, StartsEmptyAndStartSetsDemoAndLanguage) {
    EXPECT_FALSE(app.IsDemoMode());
    EXPECT_EQ(app.GetOperation(), 0);
    EXPECT_TRUE(app.Printer().GetSelectedPrinter().empty());
    EXPECT_TRUE(app.GetLogFileName().empty());
    app.SetOperation(12);
    app.Start("C:\\Tools\\ServiceDemo.exe", "", kJapanese);
    EXPECT_TRUE(app.IsDemoMode());
    EXPECT_EQ(app.GetOperation(), 0);
    EXPECT_EQ(app.GetLanguage(), kJapanese);
    EXPECT_EQ(app.GetMessages().Language(), kJapanese);
    EXPECT_EQ(app.GetExecutablePath(), "C:\\Tools\\ServiceDemo.exe");
}

TEST_F(AppTest, HistoryWalksBackAlongTheRoad) {
    EXPECT_EQ(app.GoNext(133), 133);
    EXPECT_EQ(app.GoNext(130), 130);
    EXPECT_EQ(app.GoNext(217), 217);
    EXPECT_EQ(app.GoBack(), 130);
    EXPECT_EQ(app.History(), (std::vector<int>{133, 130}));
    EXPECT_EQ(app.GoBack(), 133);
    EXPECT_EQ(app.History(), (std::vector<int>{133}));
    EXPECT_EQ(app.GoBack(), -1);
    EXPECT_EQ(app.History(), (std::vector<int>{133}));
}

TEST_F(AppTest, StayingAddsNothingAndClearingEmpties) {
    app.GoNext(156);
    EXPECT_EQ(app.GoNext(-1), -1);
    EXPECT_EQ(app.History(), (std::vector<int>{156}));
    app.ClearHistory();
    EXPECT_TRUE(app.History().empty());
    EXPECT_EQ(app.GoBack(), -1);
}

TEST_F(AppTest, SetCurrentPageAnswersThePageBefore) {
    EXPECT_EQ(app.SetCurrentPage(217), 0);
    EXPECT_EQ(app.SetCurrentPage(160), 217);
    EXPECT_EQ(app.GetCurrentPage(), 160);
}

TEST_F(AppTest, ProgramAndDataDirectories) {
    app.Start("C:\\Tools\\Service.exe", "", kEnglish);
    EXPECT_EQ(app.GetProgramDirectory(), "C:\\Tools\\");
    EXPECT_EQ(app.GetDataDirectory(), "C:\\Tools\\Data\\");
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(AppTest, DirectoriesUseThePlatformSeparator) {
    CQVJServToolApp posix(sink, '/');
    posix.Start("/opt/qx7/bin/qx7-service-tool", "", kEnglish);
    EXPECT_EQ(posix.GetProgramDirectory(), "/opt/qx7/bin/");
    EXPECT_EQ(posix.GetDataDirectory(), "/opt/qx7/bin/Data/");
}

TEST_F(AppTest, PathWithoutUsableSeparatorReportsAndAnswersTheFullPath) {
    app.Start("\\Service.exe", "", kEnglish);
    EXPECT_EQ(app.GetProgramDirectory(), "\\Service.exe");
    EXPECT_EQ(app.GetDataDirectory(), "\\Service.exe");
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], kInternal + " (-276)");
    EXPECT_EQ(sink.shown[1], kInternal + " (-270)");
}

}  // namespace
}  // namespace qx7
