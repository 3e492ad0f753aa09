// Kelvaspec - Database parameters (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmDataparam : public QWidget {
    Q_OBJECT
public:
    explicit frmDataparam(App& app, QWidget* parent = nullptr);
    // Copies the general parameters of the database into the boxes (the radius in nm).
    void showParameters();

private:
    App& app_;
};

} // namespace kelva
