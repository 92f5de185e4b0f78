#pragma once
// The log file name crosses between Qt's text and core's bytes here: file names are bytes on
// Linux, and Qt's codec turns bytes that are no UTF-8 into U+FFFD: the way back looks them up.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

#include "gui/app/FileNameBytes.h"

namespace qx7::gui {

// A name whose odd bytes became U+FFFD in the text is found again on the disk (FileNameBytes).
inline std::string ToFileName(const QString& text) {
    return FileNameBytes(text);
}

inline QString FromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace qx7::gui
