#pragma once
// The log file name crosses between Qt's text and core's bytes here: file names are bytes on
// Linux, and Qt's file name codec maps them both ways without loss.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

namespace qx7::gui {

inline std::string ToFileName(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

inline QString FromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace qx7::gui
