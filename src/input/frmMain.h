// The main input window (placeholder until the window is built).
#pragma once

#include <QMainWindow>

namespace kelva {

class App;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
