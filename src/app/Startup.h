// What the program does once as it starts, before the main window is shown.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace kelva {

class App;

// The folder of the bundled data (default.DBS, examples/*.DAT): share/kelvaspec beside the
// program's own folder (an installed program, wherever its prefix was moved), the source tree's
// data/ (a program run from its build folder), or the configured install folder. Empty when
// none holds the default database.
QString bundledDataDir();

// Copies the default database and the example problems of `dataDir` into `workDir`, which
// must exist; a file already there is never overwritten. Returns what could not be copied.
QStringList copyBundledData(const QString& dataDir, const QString& workDir);

// Makes sure the working directory (Directory; by default ~/kelvaspec) exists and holds the
// bundled default database and the example problems, never overwriting a file the user has
// there. A folder that cannot be made, or a file that cannot be copied, is reported in a
// message box; the program starts all the same.
void prepareWorkingDirectory(App& app);
void prepareWorkingDirectory(App& app, const QString& dataDir);

// The program's icon (a flask), for its windows.
QIcon programIcon();

} // namespace kelva
