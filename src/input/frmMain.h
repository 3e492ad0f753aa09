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

private:
    App& app_;
};

} // namespace kelva
