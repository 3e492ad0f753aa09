// Kelvaspec - Database (placeholder until the window is built).
#pragma once

#include <QMainWindow>

namespace kelva {

class App;

class frmDbs : public QMainWindow {
    Q_OBJECT
public:
    explicit frmDbs(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
