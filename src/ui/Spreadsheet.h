// Handing a table to the desktop's spreadsheet program: the workbook is written as a new file
// in the working folder and opened with the program the desktop has for .xlsx files.
#pragma once

#include "files/workbook.h"

#include <QString>

class QWidget;

namespace kelva::ui {

class Ui;

// Writes `book` to a new file in `dir` named `stem`.xlsx (`stem` (2).xlsx, ... when the name
// is taken), opens it in the spreadsheet program and tells the user where the file is, in the
// box titled "Warning!"; when no program opens it, the box says so. A file that cannot be
// written is reported with the reason in the box titled "Error". `what` names the table in
// the messages ("The species table"). Returns the path written, empty when nothing was.
QString exportWorkbook(Ui& ui, QWidget* parent, const Workbook& book, const QString& dir, const QString& stem,
                       const QString& what);

} // namespace kelva::ui
