// Kelvaspec - Species table: the concentrations and activities of the dissolved species of
// the problem shown in the main result window, in alphabetical order.
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

class frmOut2 : public QWidget {
    Q_OBJECT
  public:
    explicit frmOut2(App& app, QWidget* parent = nullptr);
    void showState();

  private:
    void cmdMisc_Click();
    void cmdTotaq_Click();
    void cmdBack_Click();

    App& app_;
    QLabel* Label1 = nullptr;
    QLabel* lblProbno = nullptr;
    QLineEdit* txtProbno = nullptr;
    ui::Grid* grdSpecies = nullptr;
    QPushButton *cmdMisc = nullptr, *cmdTotaq = nullptr, *cmdBack = nullptr;
};

} // namespace kelva
