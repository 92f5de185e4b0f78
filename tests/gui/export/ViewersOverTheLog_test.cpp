// The viewers that save CSV files never write over the log they show, even when the user names
// it and agrees to replace it: the statistics dialog and a settings block's Save As refuse it
// with the export dialog's words and leave the log as it was.

#include <QLineEdit>
#include <QPointer>
#include <filesystem>

#include "gui/settings/SettingsViewerTest.h"

namespace qx7::test {
namespace {

constexpr int kStatistics = 1192;
constexpr int kDayName = 1241;
constexpr int kJobName = 1242;
constexpr int kSave = 1244;
constexpr int kSaveAs = 1195;

class ViewersOverTheLogTest : public SettingsViewerTest {
  protected:
    using SettingsViewerTest::SettingsViewerTest;

    std::string Refused(int code) const {
        return MessageWithCode(Language(), 238, code) +
               "(is the log being read; choose another output)";
    }
};

TEST_F(ViewersOverTheLogTest, NeitherTheStatisticsNorASettingsBlockReplaceTheLog) {
    const std::string log = GeneratedLog("p1.log", loggen::LogForm::Plain);
    const std::string bytes = ReadFile(log);
    OpenViewerPage("stats", log);
    harness.sink.answer = true;  // every override question says Yes

    // The statistics: the log's own name as the day file, a link to it as the job file.
    std::filesystem::create_symlink(log, dir.File("p1_J.csv"));
    QPointer<QDialog> stats = PressViewer(kStatistics);
    ASSERT_FALSE(stats.isNull());
    ViewerControl<QLineEdit>(stats, kDayName)->setText("p1.log");
    ASSERT_EQ(ViewerControl<QLineEdit>(stats, kJobName)->text(), "p1_J.csv");
    QTest::mouseClick(ViewerControl<QPushButton>(stats, kSave), Qt::LeftButton);
    EXPECT_EQ(harness.sink.shown, (std::vector<std::string>{Refused(-62), Refused(-63)}));
    EXPECT_TRUE(harness.sink.asked.empty());
    EXPECT_EQ(ReadFile(log), bytes);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("p1_J.csv")));
    // Nothing done: the dialog stays for other names.
    EXPECT_TRUE(stats->isVisible());
    ASSERT_TRUE(CloseByEscape(stats));

    // A settings block: the chooser answers with the log (its own question said Yes).
    harness.sink.shown.clear();
    QDialog* list = PressViewer(kViewSettings);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", false);
    ASSERT_NE(shown, nullptr);
    harness.files.answers.push_back(QString::fromStdString(log));
    QTest::mouseClick(ViewerControl<QPushButton>(shown, kSaveAs), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{Refused(-125)});
    EXPECT_EQ(ReadFile(log), bytes);
    // The same by a link's name.
    harness.sink.shown.clear();
    harness.files.answers.push_back(QString::fromStdString(dir.File("p1_J.csv")));
    QTest::mouseClick(ViewerControl<QPushButton>(shown, kSaveAs), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{Refused(-125)});
    EXPECT_EQ(ReadFile(log), bytes);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("p1_J.csv")));
    EXPECT_EQ(QApplication::activeModalWidget(), shown);
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

}  // namespace
}  // namespace qx7::test
