#include "gui/app/FileNameBytes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <memory>

namespace qx7::gui {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The one entry of folder whose name reads as part; empty when none or several do.
std::string MatchingEntry(const std::string& folder, const QString& part) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                                  &::closedir);
    if (!dir) {
        return {};
    }
    std::string found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (QFile::decodeName(entry->d_name) == part) {
            found = entry->d_name;
            ++matches;
        }
    }
    return matches == 1 ? found : std::string();
}

}  // namespace

std::string FileNameBytes(const QString& text) {
    const std::string encoded = QFile::encodeName(text).toStdString();
    if (!text.contains(QChar::ReplacementCharacter) || Exists(encoded)) {
        return encoded;
    }
    const QStringList parts = text.split(QLatin1Char('/'));
    std::string path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            path += '/';
        }
        const QString& part = parts[i];
        std::string bytes = QFile::encodeName(part).toStdString();
        if (part.contains(QChar::ReplacementCharacter) && !Exists(path + bytes)) {
            if (std::string entry = MatchingEntry(path, part); !entry.empty()) {
                bytes = std::move(entry);
            }
        }
        path += bytes;
    }
    return path;
}

std::string FileNameBytes(const QUrl& localFile) {
    if (!localFile.isLocalFile()) {
        return {};
    }
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(localFile.path(QUrl::FullyEncoded).toLatin1());
    return bytes.isEmpty() ? FileNameBytes(localFile.toLocalFile()) : bytes.toStdString();
}

}  // namespace qx7::gui
