// Kelvaspec - Multi-problem menu (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmSweepinp : public QWidget {
    Q_OBJECT
public:
    explicit frmSweepinp(App& app, QWidget* parent = nullptr);
    // Fills the list of entries that can be selected for the sweep table from the problem's
    // components and the database.
    void compinp();

private:
    App& app_;
};

} // namespace kelva
