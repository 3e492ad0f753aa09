#include "app/Startup.h"

#include "app/App.h"
#include "files/problemfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// The icon is a resource of the window library; a static library's resources are brought in
// by name.
static void initProgramResources() {
    Q_INIT_RESOURCE(kelvaspec);
}

namespace kelva {

namespace {

constexpr const char* kDefaultDatabase = "default.DBS";

bool holdsData(const QString& dir) {
    return !dir.isEmpty() && QFileInfo::exists(dir + "/" + kDefaultDatabase);
}

// Copies one file unless `to` exists; the copy is the user's to change, whatever the
// permissions of the installed original.
bool copyIfMissing(const QString& from, const QString& to) {
    if (QFileInfo::exists(to)) return true;
    if (!QFile::copy(from, to)) return false;
    return QFile::setPermissions(to,
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

} // namespace

QString bundledDataDir() {
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" + KELVA_DATA_FROM_BIN);
    for (const QString& dir :
         {installed, QStringLiteral(KELVA_SOURCE_DATA_DIR), QStringLiteral(KELVA_DATA_DIR)})
        if (holdsData(dir)) return dir;
    return {};
}

QStringList copyBundledData(const QString& dataDir, const QString& workDir) {
    QStringList failed;
    QStringList files{kDefaultDatabase};
    const QDir examples(dataDir + "/examples");
    for (const QString& name : examples.entryList({"*.DAT"}, QDir::Files, QDir::Name))
        files << "examples/" + name;
    for (const QString& rel : files) {
        const QString to = workDir + "/" + QFileInfo(rel).fileName();
        if (!copyIfMissing(dataDir + "/" + rel, to)) failed << QDir::toNativeSeparators(to);
    }
    return failed;
}

void prepareWorkingDirectory(App& app) {
    prepareWorkingDirectory(app, bundledDataDir());
}

void prepareWorkingDirectory(App& app, const QString& dataDir) {
    std::string& directory = app.st().Directory;
    if (directory.empty()) directory = defaultDirectory();
    const QString work = QString::fromStdString(directory);
    if (!QDir().mkpath(work)) {
        app.ui().message(nullptr, "Kelvaspec",
                         "The working directory " + QDir::toNativeSeparators(work) +
                             " cannot be made. Choose another one under Parameters, \"Program mode and "
                             "other parameters\", before you run a problem.",
                         ui::Icon::Warning);
        return;
    }
    if (dataDir.isEmpty()) return;
    const QStringList failed = copyBundledData(dataDir, work);
    if (!failed.isEmpty())
        app.ui().message(nullptr, "Kelvaspec",
                         "These files of the program could not be copied into the working directory:\n" +
                             failed.join('\n'),
                         ui::Icon::Warning);
}

QIcon programIcon() {
    static const bool loaded = (initProgramResources(), true);
    Q_UNUSED(loaded);
    return QIcon(":/kelvaspec/kelvaspec.svg");
}

} // namespace kelva
