#include "gui/app/ProgramStarter.h"

#include <QProcess>

namespace qx7::gui {

bool QtProgramStarter::Start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace qx7::gui
