// What the three database windows share when they write a database file: the save dialog, the
// write that puts the tables back when it fails, and the refusal message.
#pragma once

#include "files/database_edit.h"

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace kelva {

class App;

namespace dbfiles {

inline constexpr const char* kFilter = "Database files (*.DBS)|*.DBS";
inline constexpr const char* kErrorTitle = "Kelvaspec Error";

// The save dialog of "Save changes to NEW database file", starting in the working directory;
// nullopt when cancelled. A name typed without an extension gets ".DBS".
std::optional<std::string> askNewFile(App& app, QWidget* parent);

// Writes the tables to `path` (a temporary file renamed over the old one). When that fails the
// tables are put back as in `before`, the user is told which file and why, and false returned.
bool write(App& app, QWidget* parent, const std::string& path, const DatabaseTables& before);

// `path` is now the connected database file (txtDb and Dbfile).
void connectFile(App& app, const std::string& path);

// A stop message with the title "Kelvaspec Error".
void refuse(App& app, QWidget* parent, const QString& text);

} // namespace dbfiles
} // namespace kelva
