// Kelvaspec - About this program (placeholder until the window is built).
#pragma once

#include <QWidget>

namespace kelva {

class App;

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(App& app, QWidget* parent = nullptr);

private:
    App& app_;
};

} // namespace kelva
