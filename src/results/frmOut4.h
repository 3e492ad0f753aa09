// Kelvaspec - Total aqueous concentrations and Kd values of the master species of the problem
// shown in the main result window.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;
namespace ui {
class Grid;
}

class frmOut4 : public QWidget {
    Q_OBJECT
  public:
    explicit frmOut4(App& app, QWidget* parent = nullptr);
    void showState();

  private:
    void cmdBack_Click();

    App& app_;
    QLabel* lblProbno = nullptr;
    QLineEdit* txtProbno = nullptr;
    ui::Grid* grdTotals = nullptr;
    QPushButton* cmdBack = nullptr;
};

} // namespace kelva
