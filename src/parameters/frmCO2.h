// Kelvaspec - Specify CO2 pressure: whether the CO2 pressure is fixed, and at how many times
// the atmospheric pressure. Filled from pCO2 when built; stores only on "Save and Back to
// main menu".
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelva {

class App;

// The atmospheric CO2 partial pressure, atm: pCO2 = factor x this, both ways.
inline constexpr double kAtmosphericCO2 = 0.00035;

class frmCO2 : public QDialog {
    Q_OBJECT
  public:
    explicit frmCO2(App& app, QWidget* parent = nullptr);

    // The two display states: the factor box is shown only while the pressure is fixed.
    void NotFixedCO2();
    void FixedCO2();

  private:
    void save();
    bool eventFilter(QObject* watched, QEvent* event) override;

    App& app_;
    QRadioButton* optCO2;
    QLabel* Label2;
    QRadioButton* optFixCO2;
    QLabel* Label4;
    QLabel* lblCO2;
    QLineEdit* txtCO2;
    QLabel* Label3;
    QPushButton* cmdMain;
    QPushButton* cmdQuit;
};

} // namespace kelva
