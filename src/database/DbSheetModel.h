// The database editor's sheet as a table model over the state's DbSheet: model row r is sheet
// row r + 1 (sheet row 0, the headings, is the horizontal header). Every change made through
// the model goes onto its undo stack, so edits, pastes, row inserts and deletes can be undone
// until the next save or load.
#pragma once

#include "files/database_edit.h"
#include "state/state.h"
#include "ui/Tsv.h"

#include <QAbstractTableModel>
#include <QUndoStack>

#include <string>
#include <vector>

namespace kelva {

class DbSheetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit DbSheetModel(ProgramState& st, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QUndoStack& undoStack() { return undo_; }
    bool isLocked(int row, int col) const;

    // Edits, each one step on the undo stack. Locked cells and cells beyond the sheet's edge are
    // left out; false when nothing changed.
    bool setBlock(int row, int col, const ui::Block& block, const QString& what);
    bool clearBlock(int top, int left, int bottom, int right, const QString& what);
    // n empty rows at model row `row` (0..rowCount), numbered and locked as the sheet wants.
    void insertSheetRows(int row, int n);
    void removeSheetRows(int row, int n);

    ui::Block cells(int top, int left, int bottom, int right) const;
    // The next row after `after` (wrapping round) whose species number is `what` or whose name
    // holds `what` (ignoring case); -1 when none.
    int findSpecies(const QString& what, int after) const;

    // A load replaced the sheet: shown anew, with no undo history.
    void reload();
    // Texts or locks changed in place (a save, the deltaH unit, the site groups).
    void refresh();
    // After a save: the undo history ends here.
    void forgetHistory() { undo_.clear(); }

    // For the undo commands.
    struct CellChange {
        int row;
        int col;
        std::string before;
        std::string after;
    };
    void applyCells(const std::vector<CellChange>& changes, bool forward);
    void applyInsert(int row, int n);
    void applyPut(int row, const DbRows& rows);
    DbRows applyTake(int row, int n);

  signals:
    // Cells changed by an edit, an undo or a redo: the block to show the user.
    void blockChanged(int top, int left, int bottom, int right);

  private:
    std::string& text(int row, int col);
    const std::string& text(int row, int col) const;

    ProgramState& st_;
    QUndoStack undo_;
    int shownRows_ = 0;
};

} // namespace kelva
