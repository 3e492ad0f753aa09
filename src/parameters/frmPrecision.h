// Kelvaspec - Precision: the required precision of the calculation, in percent. Filled from
// Precision when built; stores only on "Save and Back to main menu".
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;

class frmPrecision : public QDialog {
    Q_OBJECT
  public:
    explicit frmPrecision(App& app, QWidget* parent = nullptr);

  private:
    void save();

    App& app_;
    QLabel* Label1;
    QLineEdit* txtPrecision;
    QPushButton* cmdMain;
    QPushButton* cmdQuit;
};

} // namespace kelva
