// What the result windows share: building their labelled read-only boxes and buttons, showing
// a table of the state in a read-only grid, and where their printed pages go.
#pragma once

#include "state/state.h"

#include <QString>

#include <string>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kelva {

class App;
namespace ui {
class Grid;
}

namespace outui {

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A read-only result box named `name`; screen readers call it `accessible`.
QLineEdit* box(QWidget* parent, const char* name, const QString& accessible, int chars = 14);
// A label named `name` with `caption`; the buddy of `buddy` when there is one.
QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy = nullptr);
QPushButton* button(QWidget* parent, const char* name, const QString& caption);
// A read-only grid whose first `fixedRows` rows are captions.
ui::Grid* grid(QWidget* parent, const char* name, const QString& accessible, int fixedRows = 1);

// The hidden "Problem no." row of a detail window, added to `v`.
void problemRow(QWidget* parent, QBoxLayout* v, QLabel*& lblProbno, QLineEdit*& txtProbno);
// Shows the problem-number row as the result side says.
void showProblemRow(const ResultForm& o, QLabel* lblProbno, QLineEdit* txtProbno);
// A read-only grid of four columns, `twips` wide each, the value columns 1..3 centred; column
// 0 (the names, without caption) is called `heading0` by screen readers.
ui::Grid* fourColumnGrid(QWidget* parent, const char* name, const QString& accessible, const QString& heading0,
                         int twips);

// Shows `t` in `g`: its row and column count, then every cell whose text changed.
void showTable(ui::Grid& g, const TextTable& t);

// The working folder, where exported tables and printed pages are written.
QString workDir(const ProgramState& st);
// The number of the problem the result windows show (1 for a file of one problem).
int shownProblem(const ResultForm& o);
// "Print this page": prints `page` (the window as shown) and says where a PDF went.
void printPage(App& app, QWidget* parent, QWidget& page, const QString& pdfStem);

} // namespace outui
} // namespace kelva
