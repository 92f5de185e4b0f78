// The per-user profile value of the thermistor page, where it lives and what a bad value reads.

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "gui/app/ToolSettings.h"

namespace qx7::test {
namespace {

class ToolSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           gui::kSettingsOrganization, gui::kSettingsApplication);
        settings.clear();
        settings.sync();
    }
    gui::ToolSettings settings{QStringLiteral("qx7-service-tool")};
};

TEST_F(ToolSettingsTest, TempUnitIsFahrenheitUntilWrittenAndKeptPerProgram) {
    EXPECT_EQ(settings.TempUnit(), 0);
    ASSERT_TRUE(settings.SetTempUnit(1));
    EXPECT_EQ(gui::ToolSettings(QStringLiteral("qx7-service-tool")).TempUnit(), 1);
    // Another program file name has a profile of its own.
    EXPECT_EQ(gui::ToolSettings(QStringLiteral("qx7-service-tool-demo")).TempUnit(), 0);
}

TEST_F(ToolSettingsTest, TheValueLivesInTheUsersQtSettingsFile) {
    ASSERT_TRUE(settings.SetTempUnit(1));
    const QString path = settings.FileName();
    EXPECT_TRUE(path.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME"))) << path.toStdString();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Quorvel Industries,Ltd./QXServiceTools.conf")))
        << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[qx7-service-tool]")) << text.toStdString();
    EXPECT_TRUE(text.contains("QX7Service\\TempUnit=1")) << text.toStdString();
}

TEST_F(ToolSettingsTest, AValueThatIsNoIntegerReadsAsTheFallback) {
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, gui::kSettingsOrganization,
                  gui::kSettingsApplication);
    for (const char* bad : {"celsius", "1.5", "", "99999999999"}) {
        raw.setValue(QStringLiteral("qx7-service-tool/QX7Service/TempUnit"), bad);
        raw.sync();
        EXPECT_EQ(settings.TempUnit(), 0) << bad;
        EXPECT_EQ(settings.GetProfileInt("QX7Service", "TempUnit", 7), 7) << bad;
    }
    raw.setValue(QStringLiteral("qx7-service-tool/QX7Service/TempUnit"), " 1 ");
    raw.sync();
    EXPECT_EQ(settings.TempUnit(), 1);
}

}  // namespace
}  // namespace qx7::test
