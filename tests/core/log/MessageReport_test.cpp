// Readers show nothing themselves: a damaged log or template gives its result and the messages
// it calls for, which the caller shows exactly as the reader once did, or words into a cause.

#include "core/log/MessageReport.h"

#include <gtest/gtest.h>

#include "core/export/BrowsedLog.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"
#include "core/settings/EEPFile.h"
#include "core/text/StringTable.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const std::string kInternalError =
    "Internal Error.\nRestart PC and try again.\nIf failed, Please contact QVL";

std::string Entry(LanguageId language, int number) {
    std::string text;
    EXPECT_EQ(LoadLocalString(language, number, text), 0) << number;
    return text;
}

std::vector<std::string> ShownBy(const MessageReport& report, LanguageId language) {
    test::RecordingMessageSink sink;
    report.Show(Messages(language, sink));
    EXPECT_TRUE(sink.asked.empty());
    return sink.shown;
}

TEST(MessageReportTest, ShowsEachMessageAsTheMessagesDoAndWordsThemOnOneLine) {
    MessageReport report;
    EXPECT_TRUE(report.Empty());
    EXPECT_EQ(report.Cause(kEnglish), "");
    report.Add(kMsgInternalError, -123);
    report.AddWithText(kMsgFileIoError, -125, "/logs/a.csv");
    report.Add(kMsgInternalError, 0);
    EXPECT_EQ(report.Held().size(), 3u);

    for (const LanguageId language : {kEnglish, kJapanese}) {
        test::RecordingMessageSink direct;
        const Messages messages(language, direct);
        messages.ShowMessage(kMsgInternalError, -123);
        messages.ShowMessageWithText(kMsgFileIoError, -125, "/logs/a.csv");
        messages.ShowMessage(kMsgInternalError, 0);
        EXPECT_EQ(ShownBy(report, language), direct.shown);
        EXPECT_EQ(report.Cause(language), OneLine(direct.shown[0]) + "; " +
                                              OneLine(direct.shown[1]) + "; " +
                                              OneLine(direct.shown[2]));
    }
    report.Clear();
    EXPECT_TRUE(report.Empty());
}

class ReaderReportTest : public ::testing::Test {
  protected:
    // A container whose log data runs past the end of the file: the scan cannot read a word.
    std::string CutLog() {
        const std::string path = dir.File("cut.log");
        test::WriteFile(path, loggen::ContainerBuilder()
                                  .BlockWithLength("LGDT", 4000, std::string(16, '\0'))
                                  .Plain());
        return path;
    }

    test::TempDir dir;
    test::FixedNowLocalTime clock{test::kPrinterEpoch + 480000000};
};

TEST_F(ReaderReportTest, ADamagedLogGivesItsResultAndTheMessageForTheCaller) {
    CQXLogFile reader(clock);
    ASSERT_EQ(reader.Open(CutLog()), 1);
    EXPECT_FALSE(reader.OpenLogData());
    EXPECT_EQ(reader.Report().Held(), (std::vector<HeldMessage>{{kMsgInternalError, -152, {}}}));
    EXPECT_EQ(ShownBy(reader.Report(), kEnglish),
              std::vector<std::string>{kInternalError + " (-152)"});
    EXPECT_EQ(ShownBy(reader.Report(), kJapanese),
              std::vector<std::string>{Entry(kJapanese, kMsgInternalError) + " (-152)"});
    // The next opening starts a report of its own.
    reader.Close();
    test::WriteFile(dir.File("bare.bin"), std::string(64, '\0'));
    EXPECT_EQ(reader.Open(dir.File("bare.bin")), 0);
    EXPECT_TRUE(reader.Report().Empty());
}

TEST_F(ReaderReportTest, OpeningForEntriesWordsTheReadersMessagesInTheLanguage) {
    const std::string log = CutLog();
    for (const LanguageId language : {kEnglish, kJapanese}) {
        CQXLogFile reader(clock);
        LogOpenFailure failure;
        EXPECT_FALSE(OpenLogEntries(reader, log, language, failure));
        EXPECT_EQ(failure.answer, 0);
        EXPECT_EQ(failure.cause, OneLine(Entry(language, kMsgInternalError)) + " (-152)");
        reader.Close();

        BrowsedLog browsed(language, clock);
        EXPECT_EQ(browsed.Open(log, {}, nullptr), BrowseOpenResult::kCannotOpen);
        EXPECT_EQ(browsed.Cause(), failure.cause);
    }
}

TEST_F(ReaderReportTest, ATemplateThatFailsToParseGivesItsMessagesInOrder) {
    CEEPFile file;
    EXPECT_FALSE(file.ParseText("0,4,zz,1,a\r\n"));
    EXPECT_EQ(file.Report().Held(), (std::vector<HeldMessage>{{kMsgIllegalFormat, -20, {}},
                                                              {kMsgInternalError, -123, {}},
                                                              {kMsgInternalError, -124, {}}}));
    // A later success leaves no message of the failure behind.
    EXPECT_TRUE(file.LoadTemplate(220));
    EXPECT_TRUE(file.Report().Empty());
}

TEST_F(ReaderReportTest, SavingABlocksCsvOverItsLogIsRefusedInTheReport) {
    CEEPFile file;
    ASSERT_TRUE(file.LoadTemplate(220));
    const std::string log = dir.File("p1.log");
    test::WriteFile(log, "log");
    EXPECT_FALSE(file.SaveCsv(log, ExistingTarget::kReplace, log));
    EXPECT_EQ(file.Report().Held(),
              (std::vector<HeldMessage>{{kMsgFileIoError, kCodeSettingsCsvFailed,
                                         "is the log being read; choose another output"}}));
    EXPECT_EQ(test::ReadFile(log), "log");

    // A folder of the name: only its path, as for any place that cannot take the file.
    EXPECT_FALSE(file.SaveCsv(dir.Path().string(), ExistingTarget::kReplace, log));
    EXPECT_EQ(
        file.Report().Held(),
        (std::vector<HeldMessage>{{kMsgFileIoError, kCodeSettingsCsvFailed, dir.Path().string()}}));

    EXPECT_TRUE(file.SaveCsv(dir.File("p1.csv"), ExistingTarget::kKeep, log));
    EXPECT_TRUE(file.Report().Empty());
    EXPECT_EQ(test::ReadFile(dir.File("p1.csv")), file.CsvText());
}

}  // namespace
}  // namespace qx7
