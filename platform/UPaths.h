// Where the program keeps its files. The directory is resolved once; every
// operation that touches a file also takes its path as an argument, so tests
// work in temporary directories.
#pragma once

#include <QString>

namespace Paths {

// "C:\VORNCalendar" on Windows; VORNCalendar under the user's data directory
// (normally ~/.local/share/VORNCalendar) elsewhere. Native separators are not
// used: the result is a Qt path with '/'.
QString DataDir();
QString NotesFile();  // DataDir() + "/Notes.xml"
QString ConfigFile(); // DataDir() + "/Config.ini"

} // namespace Paths
