// Kelvaspec - Output: the hub of the result side. Shows one problem of a result file (the
// fractional distribution of the master species and the problem's scalar results), and from
// here the user picks another problem, opens the species, miscellaneous, totals and sweep
// windows, saves or opens result files, and goes back to the input window.
#pragma once

#include <QMainWindow>

#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kelva {

class App;
struct Sheet;
namespace ui {
class Grid;
}

class frmOut1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmOut1(App& app, QWidget* parent = nullptr);
    // After a run: reads the first problem of the run's result file ("Tempo.out") into the
    // result windows and sets up the view (Outflag "t", datafeed, headers). The caller shows it.
    void showRunResults();
    // Opens a result file as "Open output file" does after its dialog and shows this window
    // in place of the main window (the command line's FILE.OUT).
    void openResultFile(const QString& path);
    // Shows the result state in this window and in the other result windows that exist.
    void showState();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void showOwnState();
    // Reads problem 1 of the shown result file anew; a file that cannot be read is reported.
    void load();
    void reportUnreadable(const std::string& err);
    void hideResultWindows();
    // The input window again, after the run input has been reloaded.
    void backToInput(bool fromButton);

    void cboProbno_Click(int index);
    void cmdSpecies_Click();
    void cmdMisc_Click();
    void cmdTotaq_Click();
    void cmdSweep_Click();
    void cmdBack_Click();
    void mnuFileSave_Click();
    void mnuFileOpen_Click();
    void mnuFileBack_Click();
    void mnuFileExit_Click();
    void mnuOptionsPrint_Click();
    void mnuOptionsExcel1_Click();
    void mnuOptionsExcel2_Click();
    // Hands one table to the spreadsheet program as a new file "<stem>-problem-<n>.xlsx".
    void exportTable(const Sheet& sheet, const char* stem, const QString& what);

    App& app_;
    QLabel* lblProbno = nullptr;
    QComboBox* cboProbno = nullptr;
    QLabel* Label1 = nullptr;
    ui::Grid* grdFractmast = nullptr;
    QLabel *Label3 = nullptr, *Label4 = nullptr, *lblDOC = nullptr, *Label6 = nullptr, *Label8 = nullptr,
           *Label7 = nullptr, *Label9 = nullptr, *Label10 = nullptr;
    QLineEdit *txtpH = nullptr, *txtIstrength = nullptr, *txtDOC = nullptr, *txtIter = nullptr,
              *txtChrat = nullptr, *txtChdiff = nullptr;
    QLineEdit *txtFeppt = nullptr, *txtFepconc = nullptr, *txtFeproc = nullptr;
    QLabel *lblFemol = nullptr, *lblFeproc = nullptr;
    QLineEdit *txtAlppt = nullptr, *txtAlpconc = nullptr, *txtAlproc = nullptr;
    QLabel *lblAlmol = nullptr, *lblAlproc = nullptr;
    QLabel* lblError = nullptr;
    QPushButton *cmdSpecies = nullptr, *cmdMisc = nullptr, *cmdTotaq = nullptr, *cmdSweep = nullptr,
                *cmdBack = nullptr;
    QMenu *mnuFile = nullptr, *mnuOptions = nullptr;
    QAction *mnuFileSave = nullptr, *mnuFileOpen = nullptr, *mnuFileBack = nullptr, *mnuFileExit = nullptr;
    QAction *mnuOptionsPrint = nullptr, *mnuOptionsExcel1 = nullptr, *mnuOptionsExcel2 = nullptr;
    bool leaving_ = false; // a hand-over back to the input window is closing the window
};

} // namespace kelva
