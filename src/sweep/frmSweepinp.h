// Kelvaspec - Multi-problem menu: turns the main window's problem into a run of several problems,
// either problems entered one by one in the main window ("Only multi") or a sweep of the problem
// over fixed pH values (a start and an increment, or separately typed values, ten to a page), and
// selects the results the sweep table shows for every problem. The window shows the state
// (SweepForm and the sweep settings, run/sweepgen.h does the work) and writes what the user types
// back into it. "Save and Back" and "Cancel and Back" return to the main window.
#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace kelva {

class App;
struct ProgramState;

class frmSweepinp : public QWidget {
    Q_OBJECT
  public:
    explicit frmSweepinp(App& app, QWidget* parent = nullptr);
    // Fills the list of entries that can be selected for the sweep table from the problem's
    // components and the database, and shows it.
    void compinp();
    // Shows the state in the window's controls again.
    void showState();

    // Controls, named as the window names them (indexed controls from 1).
    QLabel* Label1 = nullptr;
    QCheckBox* chkMulti = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* chkpH = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtSweepno = nullptr;
    QLabel* lblStartvalue = nullptr;
    QLineEdit* txtStartpH = nullptr;
    QLabel* lblIncrement = nullptr;
    QLineEdit* txtIncpH = nullptr;
    QPushButton* cmdSepar = nullptr;
    QPushButton* cmdStartincr = nullptr;
    QLabel* lblEnterval = nullptr;
    QLabel* lblPage = nullptr; // which problems the page of values holds
    std::array<QLineEdit*, 11> txtSweepval{};
    QPushButton* cmdNext10 = nullptr;
    QPushButton* cmdPrev10 = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* cboComp2 = nullptr;
    QLabel* Label11 = nullptr;
    QListWidget* lstUnit = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* cmdAdd = nullptr;
    QLabel* Label12 = nullptr;
    std::array<QLabel*, 9> lblConame{};
    std::array<QLabel*, 9> lblCotype{};
    QPushButton* cmdNewsel = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;
    // Closing the window asks whether to keep the settings ("Save and Back") or discard them
    // ("Cancel and Back").
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    QWidget* buildValuePages();
    QWidget* buildSelection();
    void buildLayout();
    void connectControls();
    void showValues();
    void showSelection();

    // Handlers.
    void act(void (*op)(ProgramState&));
    void add();
    bool save();
    void cancel();
    void backToMain();

    App& app_;
    QStackedWidget* values_ = nullptr; // nothing, start and increment, or separate values
    QWidget* noValues_ = nullptr;
    QWidget* startIncr_ = nullptr;
    QWidget* separate_ = nullptr;
};

} // namespace kelva
