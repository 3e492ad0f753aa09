// Kelvaspec - Input: the main input window. The database to use, the components and their
// total concentrations, pH, temperature, humic and fulvic acid, DOC, clay and solids; the
// problem list of "Only multi" runs; opening and saving problem files; runs; and the menus that
// open every other window. The window shows the state (showState) and writes what the user
// types back into it.
#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QShortcut;
class QWidget;

namespace kelva {

class App;
class RunWorker;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(App& app, QWidget* parent = nullptr);
    ~frmMain() override;
    // Shows the state in the window's controls again (after another window changed it).
    void showState();
    // Opens a problem file as "Open input file" does after its dialog (the command line's FILE.DAT),
    // then connects the database the file names, found as the batch runner finds it.
    void openProblemFile(const QString& path);
    // True while a run started from this window is going.
    bool running() const;
    // The run going on (tests wait for it).
    RunWorker& runWorker() { return *run_; }

    // Controls, named as the window names them.
    QLabel* Label1 = nullptr;
    QPushButton* cmdDatabase = nullptr;
    QLineEdit* txtDb = nullptr;
    QPushButton* cmdEddbs = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* txtCompname = nullptr;
    QListWidget* lstCompnames = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* txtConc = nullptr;
    QLabel* Label9 = nullptr;
    QListWidget* lstUnits = nullptr;
    QLabel* lblUnits = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdlist = nullptr;
    QLabel* lblpH = nullptr;
    QListWidget* lstpH = nullptr;
    QLineEdit* txtpH = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtTemp = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtHA = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtFA = nullptr;
    QLabel* lblDocconc = nullptr;
    QListWidget* lstDOC = nullptr;
    QLineEdit* txtDOC = nullptr;
    QLabel* lblGamm = nullptr;
    QLineEdit* txtGamm = nullptr;
    QLabel* lblClay = nullptr;
    QLineEdit* txtClay = nullptr;
    QLabel* lblCsolid = nullptr;
    QLineEdit* txtSolids = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblFilename = nullptr;
    QLabel* lblThisis = nullptr;
    QLabel* lblNoprob = nullptr;
    QPushButton* cmdPrevprob = nullptr;
    QPushButton* cmdNextprob = nullptr;
    QLabel* lblIter = nullptr;
    QLineEdit* txtIter = nullptr;
    QPushButton* cmdRun = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdOutput = nullptr;
    QPushButton* cmdReset = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuParameters = nullptr;
    QAction* mnuParametersCO2 = nullptr;
    QAction* mnuParametersPrecision = nullptr;
    QAction* mnuParametersOther = nullptr;
    QMenu* mnuDatabase = nullptr;
    QAction* mnuDatabaseEdit = nullptr;
    QAction* mnuDatabaseParameters = nullptr;
    QAction* mnuDatabaseHetero = nullptr;
    QAction* mnuMulti = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpAbout = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void buildControls();
    void buildLayout();
    void buildMenus();
    void connectControls();
    void showLists();
    void showComplist();

    // Handlers.
    void connectDatabase();
    void addComponent();
    void chooseUnit(const QString& unit);
    void openInput();
    void saveInput();
    void step(bool next);
    void reset();
    void startRun();
    void runProgress(int runprob, int nprob, int iter);
    void runFinished();
    void setRunning(bool on);

    // Messages through the App's dialogs.
    void error(const QString& text);
    void warning(const QString& text);

    App& app_;
    RunWorker* run_ = nullptr;
    QWidget* inputs_ = nullptr; // everything a run must not see changed
    QShortcut* stopKey_ = nullptr;
    QShortcut* runKey_ = nullptr;
};

} // namespace kelva
