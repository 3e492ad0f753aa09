// The main input window (placeholder until the window is built).
#pragma once

#include <QMainWindow>

namespace kelva {

class App;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(App& app, QWidget* parent = nullptr);
    // Shows the state in the window's controls again (after another window changed it).
    void showState();
    // Opens a problem file as "Open input file" does after its dialog (the command line's FILE.DAT).
    void openProblemFile(const QString& path);

private:
    App& app_;
};

} // namespace kelva
