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

// "--service" anywhere among the arguments (not the program path) turns service mode on;
// "--browse LOG" asks for the entry browser alone; the first other argument not starting with
// "-" is a log to start the wizard with.
GuiOptions ParseGuiOptions(const QStringList& arguments);

class CServSheet;

// The first page of the sheet: the one its table begins with, or, for a log named on the
// command line, the saved-log road walked with that log (225, or 178 after its message).
void ShowStartPage(CServSheet& sheet, const GuiOptions& options);

// For Japanese, installs Qt's own translations (button captions, message box buttons) and
// answers the translator, which app owns; nullptr when the language needs none or Qt's
// translation file is missing.
QTranslator* InstallQtTranslator(QCoreApplication& app, LanguageId language);

}  // namespace qx7::gui
