// Kelvaspec - About this program: the program's name and version, what it does, where the
// bundled database's data come from, the licence and where help is found.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kelva {

class App;

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(App& app, QWidget* parent = nullptr);

    // The help document: the installed README, or the source tree's when run from the build.
    static QString helpDocument();

  private:
    App& app_;
    QLabel* lblIcon;
    QLabel* lblProgram;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblSources;
    QLabel* lblLicence;
    QLabel* lblHelp;
    QPushButton* cmdMain;
};

} // namespace kelva
