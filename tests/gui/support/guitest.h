// What the window tests share: a fresh program in a scratch working folder with scripted
// dialogs, finding controls by object name, clicking and typing as a user does, files, the
// batch runner to compare with, and screenshots for a person to look at.
#pragma once

#include "app/App.h"
#include "input/frmMain.h"
#include "state/state.h"
#include "ui/Grid.h"
#include "ui/ScriptedPrinter.h"
#include "ui/ScriptedUi.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace kelva::guitest {

// A program as it starts, working in its own scratch folder. Every dialog is answered by the
// script in `ui`; printing goes to the scripted `printer`.
class Program {
  public:
    Program();
    App& app() { return *app_; }
    ProgramState& st() { return app_->st(); }
    ui::ScriptedUi& ui() { return *ui_; }
    ui::ScriptedPrinter& printer() { return *printer_; }
    // The scratch working folder (st().Directory).
    QString dir() const { return tmp_.path(); }
    QString file(const QString& name) const { return tmp_.filePath(name); }
    // Copies data/<rel> of the source tree into the working folder; returns the copy's path.
    QString copyData(const QString& rel);
    // Every message shown so far, one a line (for failure reports).
    QString said() const;
    // Checks that exactly one message was shown since the log was cleared, that its
    // "title: text" begins with `start`, and its icon.
    void toldOnce(const QString& start, ui::Icon icon = ui::Icon::Stop);

  private:
    QTemporaryDir tmp_;
    ui::ScriptedUi* ui_ = nullptr;
    ui::ScriptedPrinter* printer_ = nullptr;
    std::unique_ptr<App> app_;
};

// The control of type T named `name` inside `w`; fails the test when there is none.
template <class T> T* child(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    if (!c) qFatal("no control %s of the expected type in %s", qPrintable(name), qPrintable(w->objectName()));
    return c;
}
// The text of the box `name`, whether `name` is on show (not hidden by its window), a grid row.
QString textOf(QWidget* w, const char* name);
bool shown(QWidget* w, const char* name);
QStringList row(QWidget* w, const char* grid, int r);

// Clicks a button as a user would (it must be visible and enabled to take the click).
void click(QAbstractButton* b);
// Replaces the text of `box` (or of the box `name` in `w`) by typing `text` into it.
void type(QLineEdit* box, const QString& text);
void type(QWidget* w, const char* name, const QString& text);
// Clicks the entry `text` of a list box (or of the list `name` in `w`).
void choose(QListWidget* list, const QString& text);
void choose(QWidget* w, const char* name, const QString& text);
// Picks entry `index` of a drop-down list as the user does.
void pick(QComboBox* box, int index);

// Saves what `w` shows under build/screenshots/<name>.png. The window is shown first.
void screenshot(QWidget* w, const QString& name);

// A path into the source tree.
QString sourcePath(const QString& rel);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// Solves the problem file `problems` with the batch runner (against `db`, or the database the
// file names) into the working folder's `out`; returns the result file's bytes.
QByteArray runBatch(Program& p, const QString& problems, const QString& out, const QString& db = {});
// Solves data/examples/<name> against data/default.DBS into `out`; returns its path.
QString runExample(Program& p, const QString& name, const QString& out = "Tempo.out");

// The main input window shown and active in a fresh program, a database connected through the
// real button, and components added as a user adds them.
class InputProgram : public Program {
  public:
    InputProgram() : w(app().window<frmMain>()) {
        w.show();
        w.activateWindow(); // its shortcuts (Ctrl+R, Esc) act in the active window
        if (!QTest::qWaitForWindowActive(&w)) qWarning("the main window did not become active");
    }
    // Connects data/default.DBS (copied into the working folder) with "Connect database".
    void connectDefault() {
        ui().chooseFile(copyData("default.DBS"));
        click(w.cmdDatabase);
    }
    // Opens a copy of data/examples/<name>, with the default database beside it.
    void openExample(const QString& name) {
        copyData("default.DBS");
        w.openProblemFile(copyData("examples/" + name));
        QVERIFY(w.txtDb->isVisible());
    }
    void add(const QString& name, const QString& conc) {
        choose(w.lstCompnames, name);
        type(w.txtConc, conc);
        click(w.cmdAdd);
    }
    frmMain& w;
};

} // namespace kelva::guitest
