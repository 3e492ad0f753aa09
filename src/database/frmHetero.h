// Kelvaspec - Heterogeneity parameters: the number of bidentate site groups of the database and
// their relative concentrations, with the saves into the current or a new database file.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;

class frmHetero : public QWidget {
    Q_OBJECT
  public:
    explicit frmHetero(App& app, QWidget* parent = nullptr);
    // Fills the boxes from Nosite and the shares, showing the rows of the groups in use.
    void showState();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtNosite = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtS1proc = nullptr;
    QLabel* lblS2proc = nullptr;
    QLineEdit* txtS2proc = nullptr;
    QLabel* lblS3proc = nullptr;
    QLineEdit* txtS3proc = nullptr;
    QPushButton* cmdSaveDb = nullptr;
    QPushButton* cmdSaNewDb = nullptr;
    QPushButton* cmdMain = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showGroups(int groups);
    void save(bool toNewFile);

    App& app_;
};

} // namespace kelva
