// Kelvaspec - Miscellaneous results: the net charges and concentration ratios of humic and
// fulvic acid and clay, and the water volumes of the diffuse layers, of the problem shown in
// the main result window.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;

class frmOut3 : public QWidget {
    Q_OBJECT
  public:
    explicit frmOut3(App& app, QWidget* parent = nullptr);
    void showState();

  private:
    void cmdTotaq_Click();
    void cmdBack_Click();

    App& app_;
    QLabel* lblProbno = nullptr;
    QLineEdit* txtProbno = nullptr;
    QLabel *Label1 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
           *lblRatioclay = nullptr;
    QLineEdit *txtZedha = nullptr, *txtZedfa = nullptr, *txtRatioha = nullptr, *txtRatiofa = nullptr,
              *txtRatioclay = nullptr;
    QLabel* Label6 = nullptr;
    QLabel *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr;
    QLineEdit *txtHADDL = nullptr, *txtFADDL = nullptr, *txtClayDDL = nullptr, *txtSol = nullptr;
    QFrame* Line1 = nullptr;
    QPushButton *cmdTotaq = nullptr, *cmdBack = nullptr;
};

} // namespace kelva
