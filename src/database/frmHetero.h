// Kelvaspec - Heterogeneity (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmHetero : public QWidget {
    Q_OBJECT
public:
    explicit frmHetero(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
