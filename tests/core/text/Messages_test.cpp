#include "core/text/Messages.h"

#include <gtest/gtest.h>

#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

const std::string kComm =
    "Communication Error.\nCheck Connection and try again.\nIf another Communication Error "
    "occurs, QX-7 Printer needs restart.\nTurn QX-7 Printer OFF and ON and try again.";

class MessagesTest : public ::testing::Test {
protected:
    test::RecordingMessageSink sink;
    Messages english{kEnglish, sink};
    Messages japanese{kJapanese, sink};
};

TEST_F(MessagesTest, CodeIsAppendedOnlyWhenNonZero) {
    EXPECT_EQ(english.ShowMessage(237, 0), 0);
    EXPECT_EQ(english.ShowMessage(237, -66), 0);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], kComm);
    EXPECT_EQ(sink.shown[1], kComm + " (-66)");
}

TEST_F(MessagesTest, JapaneseShowsTheSharedEnglishCommunicationText) {
    japanese.ShowMessage(237, -191);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], kComm + " (-191)");
}

TEST_F(MessagesTest, TemperatureFormsDifferInTheBlankBeforeTheCode) {
    english.ShowTemperatureOutOfRange(140, -61);
    english.ShowTemperatureOutOfRange(100, 0);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], "Input Temperature is out of range.(-61) (140 F)");
    EXPECT_EQ(sink.shown[1], "Input Temperature is out of range. (100 F)");
}

TEST_F(MessagesTest, TextAndCodeVariants) {
    english.ShowMessageWithText(238, -166, "");
    english.ShowMessageWithText(238, -125, "/tmp/EEPROM-8011.csv");
    english.ShowMessageWithCodes(242, -1, -2, -3);
    english.ShowAccessDenied("/logs/p1_D.csv", -60);
    english.ShowAccessDenied("/logs/p1_J.csv", 0);
    ASSERT_EQ(sink.shown.size(), 5u);
    EXPECT_EQ(sink.shown[0], "File I/O Error.\nRestart PC and try again. (-166)()");
    EXPECT_EQ(sink.shown[1],
              "File I/O Error.\nRestart PC and try again. (-125)(/tmp/EEPROM-8011.csv)");
    EXPECT_EQ(sink.shown[2],
              "Internal Error.\nRestart PC and try again.\nIf failed, Please contact QVL "
              "(-1)(-2)(-3)");
    EXPECT_EQ(sink.shown[3], "/logs/p1_D.csv access denied. (-60)");
    EXPECT_EQ(sink.shown[4], "/logs/p1_J.csv access denied.");
}

TEST_F(MessagesTest, MissingStringShowsNothing) {
    EXPECT_EQ(english.ShowMessage(999, -1), -100);
    EXPECT_EQ(english.ShowMessageWithText(998, -1, "x"), -100);
    EXPECT_EQ(english.ShowMessageWithCodes(997, 1, 2, 3), -100);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(MessagesTest, ConfirmCancelAsksString113AndAnswersTheUser) {
    sink.answer = true;
    EXPECT_TRUE(english.ConfirmCancel());
    sink.answer = false;
    EXPECT_FALSE(english.ConfirmCancel());
    ASSERT_EQ(sink.asked.size(), 2u);
    EXPECT_EQ(sink.asked[0], "You pushed Cancel. If you want to cancel this job, Push YES.");
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(MessagesTest, JapaneseCancelQuestionHasItsOwnText) {
    sink.answer = true;
    EXPECT_TRUE(japanese.ConfirmCancel());
    ASSERT_EQ(sink.asked.size(), 1u);
    EXPECT_NE(sink.asked[0], "You pushed Cancel. If you want to cancel this job, Push YES.");
}

}  // namespace
}  // namespace qx7
