// Kelvaspec - Edit Database: the species table of the connected database in an editable sheet,
// with the Edit menu's clipboard, row, undo and find commands, the deltaH unit, the column help
// and the three saves (into the tables of the problem, into the current file, into a new file).
#pragma once

#include "files/database_edit.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kelva {

class App;
class DbSheetModel;
namespace ui {
class Sheet;
}

class frmDbs : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmDbs(App& app, QWidget* parent = nullptr);

    // Shows the state's sheet again: afresh after a database load, otherwise its texts and locks.
    void showState();
    // Shows the deltaH column in kcal/mol (1) or kJ/mol (2); frmDeltah calls it.
    void changeDeltaHUnit(int unit);
    // saval and pro999: the sheet into the species tables. A refusal is shown over `parent`
    // (this window when null) and leaves the tables as they were; false then.
    bool copySheet(QWidget* parent = nullptr);

    ui::Sheet* vaDbs = nullptr;
    QPushButton* cmdSavecha = nullptr;
    QPushButton* cmdSaveDb = nullptr;
    QPushButton* cmdSaNewDb = nullptr;
    QPushButton* cmdQuit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuEditCut = nullptr;
    QAction* mnuEditInsert = nullptr;
    QAction* mnuEditAppend = nullptr;
    QAction* mnuEditDelete = nullptr;
    QAction* mnuEditUndo = nullptr;
    QAction* mnuEditRedo = nullptr;
    QAction* mnuEditFind = nullptr;
    QMenu* mnuOptions = nullptr;
    QAction* mnuOptionsDeltah = nullptr;
    QAction* mnuHelp = nullptr;
    QWidget* fraFind = nullptr;
    QLabel* lblFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QLabel* lblFound = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildFindBar();
    void sizeColumns();
    void fitToSheet();
    void copyBlock();
    void cutBlock();
    void pasteBlock();
    void clearBlock();
    void insertRows();
    void appendRow();
    void deleteRows();
    void showFind();
    void findNext();
    void saveToCurrentFile();
    void saveToNewFile();
    bool writeDatabase(const std::string& path, const DatabaseTables& before);
    void error(const QString& text, QWidget* parent = nullptr);
    void leave();

    App& app_;
    DbSheetModel* model_ = nullptr;
    unsigned seenLoads_ = 0;
    bool mainChanged_ = false;
};

} // namespace kelva
