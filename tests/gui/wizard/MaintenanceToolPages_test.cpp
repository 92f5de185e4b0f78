// The pages of the steps done with the maintenance tool (257, 265, 286): the box that opens
// Next, the button that starts the tool, and where the pages lead.

#include <sys/stat.h>

#include <QPushButton>
#include <QTest>

#include "gui/wizard/InputPageTest.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

constexpr int kStart = 1297;
const std::vector<int> kHeadsRoad{133, 257};
const std::vector<int> kMainBoardRoad{133, 263, 130, 217, 157, 160, 163,
                                      279, 148, 149, 135, 136, 257};

// PATH for the test's length.
class ScopedPath {
  public:
    explicit ScopedPath(const std::string& value) : saved_(qgetenv("PATH")) {
        qputenv("PATH", QByteArray::fromStdString(value));
    }
    ~ScopedPath() { qputenv("PATH", saved_); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

  private:
    QByteArray saved_;
};

// A program file "qx7-maintenance" in the folder, executable or not.
std::string PutTool(const TempDir& folder, bool executable) {
    const std::string path = folder.File("qx7-maintenance");
    WriteFile(path, "#!/bin/sh\nexit 0\n");
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
}

class MaintenanceToolPagesTest : public InputPageTest {
  protected:
    int Box() const { return FindWizardPage(Current())->confirmBox; }
    bool Press() {
        auto* button = driver->ControlAs<QPushButton>(kStart);
        if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
            return false;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    QString ToolMissing() const {
        return Says(
            "QX-7 Maintenance Tool could not be started.\nInstall it, or put a program "
            "named qx7-maintenance on the PATH.",
            "QX-7 Maintenance Toolを起動できませんでした。\nインストールするか、"
            "qx7-maintenanceという名前のプログラムをPATHの通ったフォルダーに置いて"
            "ください。");
    }
    std::vector<QString> Started() const {
        std::vector<QString> programs;
        for (const auto& call : harness->programs.started) {
            EXPECT_TRUE(call.arguments.isEmpty());
            programs.push_back(call.program);
        }
        return programs;
    }

    TempDir tools;
};

TEST_P(MaintenanceToolPagesTest, NextOpensOnlyWhileTheBoxIsTickedAndBackClearsIt) {
    Restart("-demo");
    OpenAt("maintenance", kOperationMainBoard, kMainBoardRoad);
    for (int page : {257, 265, 286}) {
        SCOPED_TRACE(page);
        ASSERT_EQ(Current(), page);
        ExpectTableTexts();
        EXPECT_FALSE(driver->IsChecked(Box()));
        EXPECT_TRUE(BackEnabled());
        EXPECT_FALSE(NextEnabled());
        EXPECT_EQ(FocusedControl(), kStart);
        ExpectLabelsFit();
        driver->Screenshot();
        ASSERT_TRUE(driver->Choose(Box()));
        QCoreApplication::processEvents();
        EXPECT_TRUE(NextEnabled());
        ASSERT_TRUE(driver->Choose(Box()));
        QCoreApplication::processEvents();
        EXPECT_FALSE(NextEnabled());
        ASSERT_TRUE(driver->Choose(Box()));
        NextTo(page == 257 ? 265 : page == 265 ? 286 : PageNumber(PageId::kOperationMenu));
        if (page == 265) {
            BackTo(265);
            EXPECT_FALSE(driver->IsChecked(Box()));
            EXPECT_FALSE(NextEnabled());
            ASSERT_TRUE(driver->Choose(Box()));
            NextTo(286);
        }
    }
    EXPECT_TRUE(harness->sink.asked.empty());
    EXPECT_TRUE(harness->spooler.calls.empty());
}

TEST_P(MaintenanceToolPagesTest, TheAlignmentEndsTheHeadsRoadAtTheOperationMenu) {
    Restart("-demo");
    OpenAt("heads", kOperationHeads, kHeadsRoad);
    ASSERT_TRUE(driver->Choose(Box()));
    NextTo(265);
    ASSERT_TRUE(driver->Choose(Box()));
    NextTo(PageNumber(PageId::kOperationMenu));
    EXPECT_EQ(harness->app.GetOperation(), kOperationNone);
    // Cancel closes at once on these pages.
    ASSERT_TRUE(sheet->SetActivePage(265));
    ASSERT_TRUE(driver->Cancel());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(harness->sink.asked.empty());
}

TEST_P(MaintenanceToolPagesTest, EachPressStartsTheToolOnceBesideTheProgramFirst) {
    TempDir elsewhere;
    const std::string onPath = PutTool(tools, true);
    PutTool(elsewhere, false);  // not executable: passed over
    ScopedPath path("relative/dir::" + elsewhere.Path().string() + ":" + tools.Path().string());
    OpenAt("maintenance-start", kOperationHeads, kHeadsRoad);
    ASSERT_TRUE(Press());
    ASSERT_TRUE(Press());
    EXPECT_EQ(Started(), std::vector<QString>(2, QString::fromStdString(onPath)));
    EXPECT_TRUE(TakeShown().empty());
    EXPECT_EQ(Current(), 257);

    // A tool installed with the program comes before the one on PATH.
    driver.reset();
    sheet.reset();
    Restart();
    TempDir programFolder;
    const std::string beside = PutTool(programFolder, true);
    harness->app.Start(programFolder.File("qx7-service-tool"), "qx7-service-tool", Language());
    OpenAt("maintenance-beside", kOperationMainBoard, kMainBoardRoad);
    ASSERT_TRUE(Press());
    EXPECT_EQ(Started(), std::vector<QString>{QString::fromStdString(beside)});
    driver.reset();
    sheet.reset();
}

TEST_P(MaintenanceToolPagesTest, AToolMissingOrFailingToStartIsSaid) {
    PutTool(tools, false);
    ScopedPath path(tools.Path().string());
    OpenAt("maintenance-missing", kOperationMainBoard, kMainBoardRoad);
    ASSERT_TRUE(Press());
    EXPECT_EQ(TakeShown(), Shown(ToolMissing()));
    EXPECT_TRUE(harness->programs.started.empty());

    PutTool(tools, true);
    harness->programs.result = false;
    ASSERT_TRUE(Press());
    EXPECT_EQ(TakeShown(), Shown(ToolMissing()));
    EXPECT_EQ(harness->programs.started.size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Languages, MaintenanceToolPagesTest,
                         ::testing::Values(kEnglish, kJapanese), LanguageCaseName);

}  // namespace
}  // namespace qx7::test
