#include "database/DbFiles.h"

#include "app/App.h"
#include "files/database.h"

#include <QFileInfo>

namespace kelva::dbfiles {

std::optional<std::string> askNewFile(App& app, QWidget* parent) {
    const auto chosen = app.ui().saveFileName(parent, "Save changes to NEW database file", kFilter,
                                              QString::fromStdString(app.st().Directory));
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += ".DBS";
    return path.toStdString();
}

bool write(App& app, QWidget* parent, const std::string& path, const DatabaseTables& before) {
    std::string err;
    if (savdata(app.st(), path, err)) return true;
    restoreDatabaseTables(app.st(), before);
    refuse(app, parent,
           "The database file \"" + QString::fromStdString(path) + "\" could not be saved: " +
               QString::fromStdString(err) + "\n\nThe file and the database tables are as they were.");
    return false;
}

void connectFile(App& app, const std::string& path) {
    app.st().main.txtDb = path;
    app.st().Dbfile = path;
}

void refuse(App& app, QWidget* parent, const QString& text) {
    app.ui().message(parent, kErrorTitle, text, ui::Icon::Stop);
}

} // namespace kelva::dbfiles
