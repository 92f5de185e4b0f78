#include "gui/app/Startup.h"

#include "core/app/LogFileChoice.h"
#include "gui/app/MenuPage.h"
#include "gui/app/ServSheet.h"
#include "gui/log/LogFileName.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qx7::gui {

std::string CommandLineText(const QStringList& arguments) {
    return arguments.join(QLatin1Char(' ')).toStdString();
}

GuiOptions ParseGuiOptions(const QStringList& arguments) {
    GuiOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--service")) {
            options.serviceMode = true;
        } else if (argument == QLatin1String("--browse")) {
            options.browseOnly = true;
            if (i + 1 < arguments.size()) {
                options.logFile = ToFileName(arguments[++i]);
            }
        } else if (!argument.startsWith(QLatin1Char('-')) && options.logFile.empty()) {
            // The first argument that is no option is a log to open (a file manager passes it).
            options.logFile = ToFileName(argument);
        }
    }
    return options;
}

void ShowStartPage(CServSheet& sheet, const GuiOptions& options) {
    if (options.logFile.empty()) {
        return;
    }
    // Back leads to the operation menu with the saved-log choice taken, as if it had been.
    if (auto* menu = qobject_cast<MenuPage*>(sheet.Page(kPageOperationMenu)); menu != nullptr) {
        menu->ShowChosen(kChoiceSavedLog);
    }
    sheet.SetActivePage(StartOnLogFile(sheet.Context().app, options.logFile));
}

QTranslator* InstallQtTranslator(QCoreApplication& app, LanguageId language) {
    if (language != kJapanese) {
        return nullptr;
    }
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace qx7::gui
