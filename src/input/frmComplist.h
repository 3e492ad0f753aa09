// Kelvaspec - List of components: the rows of the current problem's components, with their
// total concentrations in the unit the main window shows; each row can be edited or deleted.
#pragma once

#include "state/state.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelva {

class App;

class frmComplist : public QWidget {
    Q_OBJECT
  public:
    explicit frmComplist(App& app, QWidget* parent = nullptr);
    // Shows the rows 1..Nmast of the state; the others are hidden and empty.
    void showState();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    std::array<QLineEdit*, kRows + 1> txtName{}; // 1..25
    std::array<QLineEdit*, kRows + 1> txtConc{};
    std::array<QPushButton*, kRows + 1> cmdDelete{};
    QPushButton* cmdMain = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;
    // Closing the window goes back to the main menu, as cmdMain does.
    void closeEvent(QCloseEvent* e) override;

  private:
    void backToMain();

    App& app_;
    std::array<QLabel*, kRows + 1> rowNo_{}; // the row numbers beside the rows
};

} // namespace kelva
