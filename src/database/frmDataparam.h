// Kelvaspec - Database parameters: the humic and fulvic acid binding parameters, the clay,
// double-layer and fulvic-acid adsorption constants and the solubility of Al(OH)3 and Fe(OH)3,
// with the saves into the problem, the current database file or a new one.
#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;

class frmDataparam : public QWidget {
    Q_OBJECT
  public:
    explicit frmDataparam(App& app, QWidget* parent = nullptr);
    // Copies the general parameters of the database into the boxes (the radius in nm).
    void showParameters();

    // Humic acid (…1) and fulvic acid (…2) boxes.
    QLineEdit *txtNcooh1 = nullptr, *txtNcooh2 = nullptr;
    QLineEdit *txtPkha1 = nullptr, *txtPkha2 = nullptr;
    QLineEdit *txtPkhb1 = nullptr, *txtPkhb2 = nullptr;
    QLineEdit *txtDpkha1 = nullptr, *txtDpkha2 = nullptr;
    QLineEdit *txtDpkhb1 = nullptr, *txtDpkhb2 = nullptr;
    QLineEdit *txtP1 = nullptr, *txtP2 = nullptr;
    QLineEdit *txtFpr1 = nullptr, *txtFpr2 = nullptr;
    QLineEdit *txtRadius1 = nullptr, *txtRadius2 = nullptr;
    QLineEdit *txtMolwt1 = nullptr, *txtMolwt2 = nullptr;
    QLineEdit *txtDlf = nullptr, *txtKzed = nullptr, *txtK0 = nullptr, *txtBeta = nullptr;
    QLineEdit *txtEqclay = nullptr, *txtSaclay = nullptr;
    QLineEdit *txtLksoal25 = nullptr, *txtDhal = nullptr, *txtLksofe25 = nullptr, *txtDhfe = nullptr;
    QPushButton* cmdSavecha = nullptr;
    QPushButton* cmdSaveDb = nullptr;
    QPushButton* cmdSaNewDb = nullptr;
    QPushButton* cmdMain = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* label(int number, const char* text);
    QLineEdit* box(const char* name, const QString& accessible);
    QWidget* buildPairs();
    QWidget* buildOthers();
    void copyBoxes();
    void saveToCurrentFile();
    void saveToNewFile();
    void leave();

    App& app_;
    bool mainChanged_ = false;
};

} // namespace kelva
