// Kelvaspec - Program mode and other parameters (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmOther : public QWidget {
    Q_OBJECT
public:
    explicit frmOther(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
