// The editable sheet: a table view that behaves like the spreadsheet a user already knows.
// Typing replaces the current cell, Enter (also after an edit) moves one row down, Delete asks
// for the selected cells to be emptied; the selection is one rectangular block.
#pragma once

#include <QItemSelectionRange>
#include <QTableView>

namespace kelva::ui {

class Sheet : public QTableView {
    Q_OBJECT
  public:
    explicit Sheet(QWidget* parent = nullptr);

    // The selected block (the rectangle around the selection), or the current cell; invalid
    // when the sheet has no cell.
    QItemSelectionRange block() const;
    // Makes (top, left)..(bottom, right) the selection, with (top, left) the current cell.
    void selectBlock(int top, int left, int bottom, int right);

  signals:
    // Delete was pressed outside an edit.
    void clearRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    void moveDown();
};

} // namespace kelva::ui
