#include "gui/app/DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace qx7::gui {

bool QtDesktopOpener::Open(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace qx7::gui
