#include "UPaths.h"

#include <QStandardPaths>

namespace Paths {

QString DataDir() {
    static const QString dir = [] {
#ifdef Q_OS_WIN
        return QStringLiteral("C:/VORNCalendar");
#else
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/VORNCalendar");
#endif
    }();
    return dir;
}

QString NotesFile() { return DataDir() + QStringLiteral("/Notes.xml"); }
QString ConfigFile() { return DataDir() + QStringLiteral("/Config.ini"); }

} // namespace Paths
