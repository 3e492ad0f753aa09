// What the tests of the main input window share: the window shown in a fresh program, the
// default database connected through the real button, and typing and choosing as a user does.
#pragma once

#include "gui/support/guitest.h"
#include "input/frmMain.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kelva::guitest {

// Replaces the text of `box` by typing `text` into it.
inline void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

// Clicks the entry `text` of a list box.
inline void choose(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(list->objectName() + " has no entry " + text));
    const QRect r = list->visualItemRect(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(list->currentItem()->text(), text);
}

// A program with its main window shown.
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
    // Adds a component as a user does: the name from the list, the concentration typed.
    void add(const QString& name, const QString& conc) {
        choose(w.lstCompnames, name);
        type(w.txtConc, conc);
        click(w.cmdAdd);
    }
    frmMain& w;
};

} // namespace kelva::guitest
