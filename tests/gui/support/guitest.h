// What the window tests share: a fresh program in a scratch working folder with scripted
// dialogs, finding controls by object name, clicking, and screenshots for a person to look at.
#pragma once

#include "app/App.h"
#include "state/state.h"
#include "ui/ScriptedPrinter.h"
#include "ui/ScriptedUi.h"

#include <QAbstractButton>
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

// Clicks a button as a user would (it must be visible and enabled to take the click).
void click(QAbstractButton* b);

// Saves what `w` shows under build/screenshots/<name>.png and returns the path. The window is
// shown first if it is not.
QString screenshot(QWidget* w, const QString& name);

// A path into the source tree.
QString sourcePath(const QString& rel);

// Solves the example problem file data/examples/<name> against data/default.DBS with the
// batch runner and writes the result file `out` into the working folder; returns its path.
QString runExample(Program& p, const QString& name, const QString& out = "Tempo.out");

} // namespace kelva::guitest
