#include "gui/app/Startup.h"

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
        if (arguments[i] == QLatin1String("--service")) {
            options.serviceMode = true;
        }
    }
    return options;
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
