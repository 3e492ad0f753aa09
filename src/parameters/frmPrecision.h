// Kelvaspec - Precision (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmPrecision : public QWidget {
    Q_OBJECT
public:
    explicit frmPrecision(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
