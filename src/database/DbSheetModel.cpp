#include "database/DbSheetModel.h"

#include "files/database.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QUndoCommand>

#include <algorithm>
#include <cstddef>

namespace kelva {

namespace {

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

class CellsCommand : public QUndoCommand {
  public:
    CellsCommand(DbSheetModel& m, std::vector<DbSheetModel::CellChange> changes, const QString& what)
        : QUndoCommand(what), m_(m), changes_(std::move(changes)) {}
    void redo() override { m_.applyCells(changes_, true); }
    void undo() override { m_.applyCells(changes_, false); }

  private:
    DbSheetModel& m_;
    std::vector<DbSheetModel::CellChange> changes_;
};

// The first redo inserts fresh rows; an undo takes them out with whatever they hold, and a
// later redo puts exactly those back.
class InsertRowsCommand : public QUndoCommand {
  public:
    InsertRowsCommand(DbSheetModel& m, int row, int n)
        : QUndoCommand(n == 1 ? QString("Insert Row") : QString("Insert %1 Rows").arg(n)), m_(m), row_(row),
          n_(n) {}
    void redo() override {
        if (fresh_)
            m_.applyInsert(row_, n_);
        else
            m_.applyPut(row_, rows_);
        fresh_ = false;
    }
    void undo() override { rows_ = m_.applyTake(row_, n_); }

  private:
    DbSheetModel& m_;
    int row_;
    int n_;
    bool fresh_ = true;
    DbRows rows_;
};

class RemoveRowsCommand : public QUndoCommand {
  public:
    RemoveRowsCommand(DbSheetModel& m, int row, int n)
        : QUndoCommand(n == 1 ? QString("Delete Row") : QString("Delete %1 Rows").arg(n)), m_(m), row_(row),
          n_(n) {}
    void redo() override { rows_ = m_.applyTake(row_, n_); }
    void undo() override { m_.applyPut(row_, rows_); }

  private:
    DbSheetModel& m_;
    int row_;
    int n_;
    DbRows rows_;
};

} // namespace

DbSheetModel::DbSheetModel(ProgramState& st, QObject* parent) : QAbstractTableModel(parent), st_(st) {
    if (st_.vaDbs.cells.empty()) resetDbSheet(st_.vaDbs, 0);
    shownRows_ = rowCount();
}

int DbSheetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return std::max(static_cast<int>(st_.vaDbs.cells.size()) - 1, 0);
}

int DbSheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSheetCols;
}

std::string& DbSheetModel::text(int row, int col) {
    return st_.vaDbs.cells[at(row + 1)][at(col)];
}

const std::string& DbSheetModel::text(int row, int col) const {
    return st_.vaDbs.cells[at(row + 1)][at(col)];
}

bool DbSheetModel::isLocked(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= kSheetCols) return false;
    const auto& locked = st_.vaDbs.locked;
    return at(row + 1) < locked.size() && locked[at(row + 1)][at(col)];
}

QVariant DbSheetModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(text(index.row(), index.column()));
    case Qt::ForegroundRole:
        if (isLocked(index.row(), index.column()))
            return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::BackgroundRole:
        if (isLocked(index.row(), index.column())) return QApplication::palette().color(QPalette::Window);
        return {};
    default:
        return {};
    }
}

QVariant DbSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= kSheetCols) return {};
    const auto& headings = st_.vaDbs.cells;
    return headings.empty() ? QString(kDbHeadings[at(section)])
                            : QString::fromStdString(headings[0][at(section)]);
}

Qt::ItemFlags DbSheetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!isLocked(index.row(), index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool DbSheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    if (isLocked(index.row(), index.column())) return false;
    const std::string after = value.toString().toStdString();
    if (after == text(index.row(), index.column())) return true;
    undo_.push(new CellsCommand(
        *this, {{index.row(), index.column(), text(index.row(), index.column()), after}}, "Edit Cell"));
    return true;
}

bool DbSheetModel::setBlock(int row, int col, const ui::Block& block, const QString& what) {
    std::vector<CellChange> changes;
    for (int r = 0; r < block.size(); ++r)
        for (int c = 0; c < block[r].size(); ++c) {
            const int tr = row + r, tc = col + c;
            if (tr < 0 || tr >= rowCount() || tc < 0 || tc >= kSheetCols || isLocked(tr, tc)) continue;
            const std::string after = block[r][c].toStdString();
            if (after != text(tr, tc)) changes.push_back({tr, tc, text(tr, tc), after});
        }
    if (changes.empty()) return false;
    undo_.push(new CellsCommand(*this, std::move(changes), what));
    return true;
}

bool DbSheetModel::clearBlock(int top, int left, int bottom, int right, const QString& what) {
    ui::Block empty;
    for (int r = top; r <= bottom; ++r) empty << QStringList(right - left + 1, QString());
    return setBlock(top, left, empty, what);
}

void DbSheetModel::insertSheetRows(int row, int n) {
    if (n < 1) return;
    undo_.push(new InsertRowsCommand(*this, std::clamp(row, 0, rowCount()), n));
}

void DbSheetModel::removeSheetRows(int row, int n) {
    if (row < 0 || row >= rowCount() || n < 1) return;
    undo_.push(new RemoveRowsCommand(*this, row, std::min(n, rowCount() - row)));
}

ui::Block DbSheetModel::cells(int top, int left, int bottom, int right) const {
    ui::Block out;
    for (int r = std::max(top, 0); r <= std::min(bottom, rowCount() - 1); ++r) {
        QStringList row;
        for (int c = std::max(left, 0); c <= std::min(right, kSheetCols - 1); ++c)
            row << QString::fromStdString(text(r, c));
        out << row;
    }
    return out;
}

int DbSheetModel::findSpecies(const QString& what, int after) const {
    const QString wanted = what.trimmed();
    const int rows = rowCount();
    if (wanted.isEmpty() || rows == 0) return -1;
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    for (int k = 1; k <= rows; ++k) {
        const int r = ((after + k) % rows + rows) % rows;
        const QString no = QString::fromStdString(text(r, dbcol::No)).trimmed();
        if (isNumber) {
            if (!no.isEmpty() && no.toInt() == number) return r;
        } else if (QString::fromStdString(text(r, dbcol::Name)).contains(wanted, Qt::CaseInsensitive))
            return r;
    }
    return -1;
}

void DbSheetModel::reload() {
    beginResetModel();
    if (st_.vaDbs.cells.empty()) resetDbSheet(st_.vaDbs, 0);
    shownRows_ = rowCount();
    endResetModel();
    undo_.clear();
}

void DbSheetModel::refresh() {
    if (shownRows_ != rowCount()) {
        reload();
        return;
    }
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kSheetCols - 1));
    emit headerDataChanged(Qt::Horizontal, 0, kSheetCols - 1);
}

void DbSheetModel::applyCells(const std::vector<CellChange>& changes, bool forward) {
    if (changes.empty()) return;
    int top = changes.front().row, bottom = top, left = changes.front().col, right = left;
    for (const auto& c : changes) {
        text(c.row, c.col) = forward ? c.after : c.before;
        top = std::min(top, c.row);
        bottom = std::max(bottom, c.row);
        left = std::min(left, c.col);
        right = std::max(right, c.col);
    }
    emit dataChanged(index(top, left), index(bottom, right), {Qt::DisplayRole, Qt::EditRole});
    emit blockChanged(top, left, bottom, right);
}

void DbSheetModel::applyInsert(int row, int n) {
    beginInsertRows({}, row, row + n - 1);
    insertDbRows(st_, row + 1, n);
    shownRows_ = rowCount();
    endInsertRows();
    emit blockChanged(row, 0, row + n - 1, kSheetCols - 1);
}

void DbSheetModel::applyPut(int row, const DbRows& rows) {
    if (rows.count() == 0) return;
    beginInsertRows({}, row, row + rows.count() - 1);
    putDbRows(st_, row + 1, rows);
    shownRows_ = rowCount();
    endInsertRows();
    emit blockChanged(row, 0, row + rows.count() - 1, kSheetCols - 1);
}

DbRows DbSheetModel::applyTake(int row, int n) {
    n = std::min(n, rowCount() - row);
    if (row < 0 || n < 1) return {};
    beginRemoveRows({}, row, row + n - 1);
    DbRows out = takeDbRows(st_, row + 1, n);
    shownRows_ = rowCount();
    endRemoveRows();
    if (rowCount() > 0) {
        const int next = std::min(row, rowCount() - 1);
        emit blockChanged(next, 0, next, kSheetCols - 1);
    }
    return out;
}

} // namespace kelva
