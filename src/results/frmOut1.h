// Kelvaspec - Output (placeholder until the window is built).
#pragma once

#include <QMainWindow>

namespace kelva {

class App;

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

private:
    App& app_;
};

} // namespace kelva
