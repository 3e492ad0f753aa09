// Kelvaspec - DeltaH unit: shows the editor's deltaH column in kcal/mol or kJ/mol.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QRadioButton;

namespace kelva {

class App;

class frmDeltah : public QWidget {
    Q_OBJECT
  public:
    explicit frmDeltah(App& app, QWidget* parent = nullptr);
    // Selects the option of the unit the sheet shows.
    void showState();

    QLabel* Label1 = nullptr;
    QRadioButton* optKcal = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* optKJ = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* cmdMain = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    App& app_;
};

} // namespace kelva
