#include "gui/app/ToolSettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <limits>

namespace qx7::gui {
namespace {

QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(kSettingsOrganization),
                     QString::fromLatin1(kSettingsApplication));
}

}  // namespace

ToolSettings::ToolSettings(QString programName) : programName_(std::move(programName)) {
    if (programName_.isEmpty()) {
        programName_ = QCoreApplication::applicationName();
    }
}

QString ToolSettings::Key(const QString& section, const QString& entry) const {
    return programName_ + QLatin1Char('/') + section + QLatin1Char('/') + entry;
}

int ToolSettings::GetProfileInt(const QString& section, const QString& entry, int fallback) const {
    const QVariant value = UserSettings().value(Key(section, entry));
    if (!value.isValid()) {
        return fallback;
    }
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max()) {
        return fallback;
    }
    return static_cast<int>(number);
}

bool ToolSettings::WriteProfileInt(const QString& section, const QString& entry, int value) {
    QSettings settings = UserSettings();
    settings.setValue(Key(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int ToolSettings::TempUnit() const {
    return GetProfileInt(QString::fromLatin1(kServiceSection), QString::fromLatin1(kTempUnitEntry),
                         0);
}

bool ToolSettings::SetTempUnit(int unit) {
    return WriteProfileInt(QString::fromLatin1(kServiceSection),
                           QString::fromLatin1(kTempUnitEntry), unit);
}

QString ToolSettings::FileName() const {
    return UserSettings().fileName();
}

}  // namespace qx7::gui
