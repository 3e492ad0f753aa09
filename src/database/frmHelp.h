// Kelvaspec Database: what each column of the database sheet holds.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace kelva {

class App;

class frmHelp : public QWidget {
    Q_OBJECT
  public:
    explicit frmHelp(App& app, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* cmdMain = nullptr;
};

} // namespace kelva
