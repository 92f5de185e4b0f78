#pragma once
// The per-user profile: Qt's user settings of organisation "Quorvel Industries,Ltd." and
// application "QXServiceTools", below a group named after the program file, then the section.
// On Linux: ~/.config/Quorvel Industries,Ltd./QXServiceTools.conf.

#include <QString>

namespace qx7::gui {

inline constexpr char kSettingsOrganization[] = "Quorvel Industries,Ltd.";
inline constexpr char kSettingsApplication[] = "QXServiceTools";
inline constexpr char kServiceSection[] = "QX7Service";
inline constexpr char kTempUnitEntry[] = "TempUnit";

class ToolSettings {
  public:
    // programName: the program's file name without extension (QCoreApplication's
    // applicationName by default).
    explicit ToolSettings(QString programName = {});

    // The integer value, or fallback when it is absent or no integer.
    int GetProfileInt(const QString& section, const QString& entry, int fallback) const;
    // False when the settings file could not be written.
    bool WriteProfileInt(const QString& section, const QString& entry, int value);

    // Temperature unit of the thermistor calibration: 0 (or absent) Fahrenheit, 1 Celsius.
    int TempUnit() const;
    bool SetTempUnit(int unit);

    // The settings file's path.
    QString FileName() const;

  private:
    QString Key(const QString& section, const QString& entry) const;

    QString programName_;
};

}  // namespace qx7::gui
