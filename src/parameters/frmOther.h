// Kelvaspec - Program mode and other parameters: the program mode, the run's solver, the
// iteration limit, the two DOC conversion factors and the working directory. Filled from the
// state when built; stores only on "Save and Back to main menu", which also shows the main
// window's sorption inputs for the mode chosen.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelva {

class App;

inline constexpr const char* kModeSoilItem = "Sorption included";
inline constexpr const char* kModeWaterItem = "Aqueous speciation only";

class frmOther : public QDialog {
    Q_OBJECT
  public:
    explicit frmOther(App& app, QWidget* parent = nullptr);

  private:
    // The sorption-only factors are shown only while "Sorption included" is chosen.
    void lstModeClick();
    void save();
    // Refuses the save with a message; the window stays open with `box` selected.
    void refuse(QLineEdit* box, const QString& message);

    App& app_;
    QLabel* Label4;
    QListWidget* lstMode;
    QLabel* lblSolver;
    QListWidget* lstSolver;
    QLabel* Label3;
    QLineEdit* txtItermax;
    QLabel* lblComrat;
    QLineEdit* txtComrat;
    QLabel* lblCactfract;
    QLineEdit* txtCactfract;
    QLabel* Label1;
    QLineEdit* txtDirectory;
    QLabel* Label2;
    QPushButton* cmdMain;
    QPushButton* cmdQuit;
};

} // namespace kelva
