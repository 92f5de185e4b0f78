// Real message boxes: caption, text, buttons, answers, owner, and the wait cursor lifted
// while a box is up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTranslator>
#include <memory>
#include <stdexcept>

#include "core/app/Messages.h"
#include "core/app/StringTable.h"
#include "gui/app/MessageBoxSink.h"
#include "gui/app/Startup.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/support/SheetDriver.h"

namespace qx7::test {
namespace {

class MessageBoxSinkTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    gui::MessageBoxSink sink;
};

TEST_F(MessageBoxSinkTest, AnOkBoxShowsThePlainTextUnderTheProgramName) {
    std::string text;
    ASSERT_EQ(LoadLocalString(kEnglish, kMsgCommunicationError, text), 0);
    text += " (-66) <b>kept</b>";
    const auto seen = AnswerNextMessageBox(QMessageBox::Ok);
    sink.ShowOk(text);
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->title, QCoreApplication::applicationName());
    EXPECT_EQ(seen->text, QString::fromStdString(text));
    EXPECT_FALSE(seen->hasIcon);
    EXPECT_EQ(seen->buttons.size(), 1);
    EXPECT_EQ(seen->parent, nullptr);
}

TEST_F(MessageBoxSinkTest, AYesNoQuestionAnswersWhatWasClicked) {
    auto seen = AnswerNextMessageBox(QMessageBox::Yes);
    EXPECT_TRUE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->buttons.size(), 2);
    EXPECT_FALSE(seen->hasIcon);

    seen = AnswerNextMessageBox(QMessageBox::No);
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);

    // Escape and Enter: No and the default Yes.
    seen = AnswerNextMessageBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
    seen = AnswerNextMessageBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_TRUE(sink.AskYesNo("Go on?"));
    ASSERT_TRUE(seen->seen);
}

TEST_F(MessageBoxSinkTest, BoxesAreModalOverTheOwner) {
    QDialog owner;
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    sink.SetOwner(&owner);
    const auto seen = AnswerNextMessageBox(QMessageBox::Ok);
    sink.ShowOk("over the sheet");
    ASSERT_TRUE(seen->seen);
    EXPECT_EQ(seen->parent, &owner);
}

TEST_F(MessageBoxSinkTest, TheWaitCursorIsLiftedWhileABoxIsUp) {
    {
        gui::WaitCursorScope outer;
        gui::WaitCursorScope inner;
        const auto seen = AnswerNextMessageBox(QMessageBox::Yes);
        sink.AskYesNo("Go on?");
        ASSERT_TRUE(seen->seen);
        EXPECT_FALSE(seen->waitCursor);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MessageBoxSinkTest, TheWaitCursorGoesOnEveryWayOut) {
    try {
        gui::WaitCursorScope wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MessageBoxSinkTest, JapaneseBoxesHaveQtsJapaneseButtons) {
    std::unique_ptr<QTranslator> translator(gui::InstallQtTranslator(*qApp, kJapanese));
    ASSERT_NE(translator, nullptr);
    const auto seen = AnswerNextMessageBox(QMessageBox::No);
    EXPECT_FALSE(sink.AskYesNo("Go on?"));
    QCoreApplication::removeTranslator(translator.get());
    ASSERT_TRUE(seen->seen);
    EXPECT_TRUE(seen->buttons.contains(QString::fromUtf8("はい(&Y)")));
    EXPECT_TRUE(seen->buttons.contains(QString::fromUtf8("いいえ(&N)")));
}

}  // namespace
}  // namespace qx7::test
