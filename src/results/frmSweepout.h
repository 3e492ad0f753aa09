// Kelvaspec - Selected sweep results: one row per problem of a multi-problem result file, one
// column per selected result, and a chart of those results against the swept pH.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSplitter;

namespace kelva {

class App;
class SweepChart;
namespace ui {
class Grid;
}

class frmSweepout : public QWidget {
    Q_OBJECT
  public:
    explicit frmSweepout(App& app, QWidget* parent = nullptr);
    void showState();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void SetColWidth5();
    void cmdPrint_Click();
    void cmdExcellera_Click();
    void cmdSavechart_Click();
    void cmdOutput_Click();

    App& app_;
    ui::Grid* grdSweep = nullptr;
    SweepChart* chtSweep = nullptr;
    QLabel* lblChartnote = nullptr;
    QSplitter* splitter_ = nullptr;
    QPushButton *cmdPrint = nullptr, *cmdExcellera = nullptr, *cmdSavechart = nullptr, *cmdOutput = nullptr;
};

} // namespace kelva
