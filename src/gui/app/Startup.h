#pragma once
// Pieces of the program's start that main puts together.

#include <QString>
#include <QStringList>
#include <string>

#include "core/app/Language.h"
#include "gui/app/PageContext.h"

class QCoreApplication;
class QTranslator;

namespace qx7::gui {

// The command line as one text, program path first, arguments joined by blanks (the start-up
// rules search it for "-demo").
std::string CommandLineText(const QStringList& arguments);

// "--service" anywhere among the arguments (not the program path) turns service mode on.
GuiOptions ParseGuiOptions(const QStringList& arguments);

// For Japanese, installs Qt's own translations (button captions, message box buttons) and
// answers the translator, which app owns; nullptr when the language needs none or Qt's
// translation file is missing.
QTranslator* InstallQtTranslator(QCoreApplication& app, LanguageId language);

}  // namespace qx7::gui
