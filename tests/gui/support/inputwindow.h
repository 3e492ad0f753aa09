// What the tests of the main input window share: the window shown and active in a fresh program,
// a database connected through the real button, and components added as a user adds them.
#pragma once

#include "gui/support/guitest.h"
#include "input/frmMain.h"

#include <QPushButton>

namespace kelva::guitest {

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
