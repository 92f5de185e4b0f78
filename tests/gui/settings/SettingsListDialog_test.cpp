// 226, the settings blocks of a log: the items qx7log lists, the file let go once they are read,
// logs with bad, cut-off and unknown blocks, a damaged compressed log; Display, double click,
// Enter and Escape; both languages.

#include <QLabel>
#include <QListWidget>

#include "gui/settings/SettingsViewerTest.h"

namespace qx7::test {
namespace {

using loggen::LogForm;

class BlockListTest : public SettingsViewerTest {
  protected:
    using SettingsViewerTest::SettingsViewerTest;

    void ExpectTexts(QDialog* list) {
        EXPECT_EQ(list->windowTitle(), Entry(Language(), 286));
        EXPECT_EQ(ViewerControl<QLabel>(list, 1026)->text(), Entry(Language(), 111));
        EXPECT_TRUE(ViewerControl<QLabel>(list, 1026)->wordWrap());
        EXPECT_EQ(ViewerControl<QLabel>(list, 1267)->text(), Entry(Language(), 299));
        EXPECT_EQ(ViewerControl<QCheckBox>(list, 1196)->text(), Entry(Language(), 301));
        EXPECT_EQ(ViewerControl<QPushButton>(list, 1029)->text(), Entry(Language(), 300));
        EXPECT_EQ(ViewerControl<QPushButton>(list, 1058)->text(), Entry(Language(), 290));
        // The list is named by its label.
        EXPECT_EQ(Items(list)->accessibleName(), Entry(Language(), 299));
    }

    // A log without settings blocks: the list's place says so, Display cannot be pressed, and
    // Close has the keyboard.
    void ExpectNoBlocksNote(QDialog* list, LanguageId language) {
        EXPECT_EQ(ViewerControl<QListWidget>(list, 1036)->count(), 0);
        auto* note = list->findChild<QLabel*>(QStringLiteral("noBlocks"));
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(note->isVisible());
        EXPECT_EQ(note->text(), Entry(language, 5701));
        EXPECT_GE(note->height(), note->heightForWidth(note->width()));
        EXPECT_FALSE(ViewerControl<QPushButton>(list, 1029)->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), ViewerControl<QPushButton>(list, 1058));
    }
};

TEST_F(BlockListTest, ListsWhatQx7logListsAndHoldsNothingOfTheFileWhileOpen) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    const ProgramResult listed = Qx7Log({"settings", log});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const std::set<std::string> before = OpenFileTargets();

    QDialog* list = OpenBlockList("blocks", log);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ItemTexts(list), Lines(listed.out));
    EXPECT_EQ(ItemTexts(list).size(), 6);
    EXPECT_EQ(ItemTexts(list).front(), "8011 : General parameters");
    ExpectTexts(list);
    EXPECT_FALSE(ViewerControl<QCheckBox>(list, 1196)->isChecked());
    EXPECT_TRUE(ViewerControl<QPushButton>(list, 1029)->isDefault());
    // The list takes the keyboard first, with nothing chosen yet.
    EXPECT_EQ(QApplication::focusWidget(), Items(list));
    EXPECT_TRUE(Items(list)->selectedItems().isEmpty());
    EXPECT_TRUE(list->isModal());
    EXPECT_EQ(list->windowModality(), Qt::WindowModal);
    ScreenshotViewer(list, "226-blocks");

    // The log and its inflated copy were let go as soon as the blocks were read.
    for (const std::string& target : OpenFileTargets()) {
        if (before.count(target) == 0) {
            EXPECT_EQ(target.find(log), std::string::npos) << target;
            EXPECT_EQ(target.find("(deleted)"), std::string::npos) << target;
        }
    }
    ExpectNoTemporaries();

    // Display with nothing chosen says what to do and stays; the list has the keyboard.
    QTest::mouseClick(ViewerControl<QPushButton>(list, 1029), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), list);
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{
                  "Select a settings block in the list, then click \"Display\"."});
    EXPECT_EQ(QApplication::focusWidget(), Items(list));
    harness.sink.shown.clear();

    QPointer<QDialog> watched(list);
    QTest::mouseClick(ViewerControl<QPushButton>(list, 1058), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, kDialogWaitMs));
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kLogViewers));
    EXPECT_TRUE(harness.sink.shown.empty());
    ExpectNoTemporaries();
}

TEST_F(BlockListTest, BlocksThatFailTheirCheckAreListedButShowNothingAndSayNothing) {
    // EP13 with a wrong sum, EP16 with a length field that disagrees with its record.
    const std::string log = GeneratedLog("bad.log", LogForm::Plain, true);
    const ProgramResult listed = Qx7Log({"settings", log});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    QDialog* list = OpenBlockList("bad", log);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ItemTexts(list), Lines(listed.out));
    for (const char* bad : {"8013", "8016"}) {
        for (bool compare : {false, true}) {
            EXPECT_EQ(DisplayBlock(list, bad, compare), nullptr) << bad;
            EXPECT_EQ(QApplication::activeModalWidget(), list);
        }
    }
    EXPECT_TRUE(harness.sink.shown.empty());
    // A good block of the same log still displays.
    QDialog* shown = DisplayBlock(list, "8011", false);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(CloseByEscape(shown));
    EXPECT_TRUE(CloseByEscape(list));
}

TEST_F(BlockListTest, CutOffAndUnknownBlocksAreNotListed) {
    const std::string record11 = loggen::SettingsRecord(loggen::SettingsData(0x8011, 3));
    const std::string record14 = loggen::SettingsRecord(loggen::SettingsData(0x8014, 3));
    // EP17 and "ep12" are no settings blocks; EP12 claims more bytes than the file holds.
    const std::string bytes = loggen::ContainerBuilder()
                                  .Block("EP17", record11)
                                  .Block("ep12", record11)
                                  .Block("EP14", record14)
                                  .Block("EP11", record11)
                                  .BlockWithLength("EP12", 5000, record11)
                                  .Plain();
    const std::string log = dir.File("cut.log");
    ASSERT_TRUE(loggen::WriteBytes(log, bytes));
    const ProgramResult listed = Qx7Log({"settings", log});
    QDialog* list = OpenBlockList("cut", log);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ItemTexts(list),
              QStringList({"8011 : General parameters", "8014 : Statistics parameters"}));
    EXPECT_EQ(ItemTexts(list), Lines(listed.out));
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_TRUE(CloseByEscape(list));
}

TEST_F(BlockListTest, ADamagedCompressedLogGivesAnEmptyListAndNoMessage) {
    const std::string log = DamagedCompressedLog("p1.zlg");
    QDialog* list = OpenBlockList("damaged", log);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Items(list)->count(), 0);
    ExpectNoBlocksNote(list, kEnglish);
    // Display on the empty list does nothing.
    Items(list)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Items(list), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), list);
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

TEST_F(BlockListTest, ALogWithoutSettingsSaysSoWhereTheListIs) {
    // A container with only text blocks and log data.
    QDialog* list = OpenBlockList("none", PlainLog("p1.log"));
    ASSERT_NE(list, nullptr);
    ExpectNoBlocksNote(list, kEnglish);
    EXPECT_EQ(Entry(kEnglish, 5701), "This log holds no settings blocks.");
    ScreenshotViewer(list, "226-no-blocks");
    // Enter in the list finds Display disabled: nothing opens, nothing is said.
    Items(list)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Items(list), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), list);
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_TRUE(CloseByEscape(list));
}

TEST_F(BlockListTest, DoubleClickAndEnterDisplayTheBlockAndEscapeGoesBackOneDialog) {
    const std::string log = GeneratedLog("p1.log", LogForm::Plain);
    QDialog* list = OpenBlockList("keys", log);
    ASSERT_NE(list, nullptr);
    QListWidget* items = Items(list);

    // A double click on the third item shows block 8013.
    const QRect third = items->visualItemRect(items->item(2));
    // As a window system delivers it: a click, then the second press as a double click.
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, third.center());
    QDialog* shown = WaitForDialog(QStringLiteral("CViewEEP2"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1031)->text(), "0x8013");
    EXPECT_EQ(shown->parentWidget(), list);
    EXPECT_EQ(shown->windowModality(), Qt::WindowModal);
    // Escape closes the display only; the list stays with its choice.
    ASSERT_TRUE(CloseByEscape(shown));
    EXPECT_EQ(WaitForDialog(QStringLiteral("CEEPDispSel")), list);
    EXPECT_EQ(items->currentRow(), 2);

    // Enter on the list presses Display (the default button): one display, of the chosen block.
    items->setCurrentRow(4);
    QTest::keyClick(items, Qt::Key_Return);
    shown = WaitForDialog(QStringLiteral("CViewEEP2"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1031)->text(), "0x8015");
    EXPECT_EQ(list->findChildren<QDialog*>(QStringLiteral("CViewEEP2")).size(), 1);
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kLogViewers));
    EXPECT_TRUE(harness.sink.shown.empty());
}

class BlockListJapaneseTest : public BlockListTest {
  protected:
    BlockListJapaneseTest() : BlockListTest(kJapanese) {}
};

TEST_F(BlockListJapaneseTest, TextsAndItemsInJapanese) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    const ProgramResult listed = Qx7Log({"settings", log});
    QDialog* list = OpenBlockList("ja", log);
    ASSERT_NE(list, nullptr);
    ExpectTexts(list);
    EXPECT_NE(Entry(kJapanese, 111), Entry(kEnglish, 111));
    EXPECT_EQ(ItemTexts(list), Lines(listed.out));
    // The instructions are not cut short.
    const QLabel* instructions = ViewerControl<QLabel>(list, 1026);
    EXPECT_GE(instructions->height(), instructions->heightForWidth(instructions->width()));
    ScreenshotViewer(list, "226-blocks");
    // Display with nothing chosen says what to do, in Japanese.
    QTest::mouseClick(ViewerControl<QPushButton>(list, 1029), Qt::LeftButton);
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{
                  "一覧から設定ブロックを選び、「Display」をクリックしてください。"});
    EXPECT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

TEST_F(BlockListJapaneseTest, ALogWithoutSettingsSaysSoInJapanese) {
    QDialog* list = OpenBlockList("none", PlainLog("p1.log"));
    ASSERT_NE(list, nullptr);
    ExpectNoBlocksNote(list, kJapanese);
    EXPECT_EQ(Entry(kJapanese, 5701), "このログには設定ブロックがありません。");
    ScreenshotViewer(list, "226-no-blocks");
    EXPECT_TRUE(CloseByEscape(list));
}

}  // namespace
}  // namespace qx7::test
