// qx7_mime_query FILE...: prints "FILE: TYPE" for each file, the type Qt's MIME database gives
// it from the name and the contents, as the window and Qt-based file managers ask it.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QMimeType>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: qx7_mime_query FILE...\n");
        return 2;
    }
    const QMimeDatabase database;
    for (const QString& file : files) {
        const QMimeType type = database.mimeTypeForFile(file);
        std::printf("%s: %s\n", file.toLocal8Bit().constData(), type.name().toUtf8().constData());
    }
    return 0;
}
