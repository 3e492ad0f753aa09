// Kelvaspec - Specify CO2 pressure (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmCO2 : public QWidget {
    Q_OBJECT
public:
    explicit frmCO2(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
