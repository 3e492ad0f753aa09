#include "ui/Sheet.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace kelva::ui {

Sheet::Sheet(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(true);
}

QItemSelectionRange Sheet::block() const {
    if (!model()) return {};
    const auto ranges = selectionModel() ? selectionModel()->selection() : QItemSelection();
    if (ranges.isEmpty()) {
        const QModelIndex c = currentIndex();
        return c.isValid() ? QItemSelectionRange(c) : QItemSelectionRange();
    }
    int top = ranges.first().top(), bottom = ranges.first().bottom();
    int left = ranges.first().left(), right = ranges.first().right();
    for (const auto& r : ranges) {
        top = std::min(top, r.top());
        bottom = std::max(bottom, r.bottom());
        left = std::min(left, r.left());
        right = std::max(right, r.right());
    }
    return {model()->index(top, left), model()->index(bottom, right)};
}

void Sheet::selectBlock(int top, int left, int bottom, int right) {
    if (!model() || model()->rowCount() == 0 || model()->columnCount() == 0) return;
    const int lastRow = model()->rowCount() - 1, lastCol = model()->columnCount() - 1;
    top = std::clamp(top, 0, lastRow);
    bottom = std::clamp(bottom, top, lastRow);
    left = std::clamp(left, 0, lastCol);
    right = std::clamp(right, left, lastCol);
    const QModelIndex first = model()->index(top, left);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(first, model()->index(bottom, right)),
                             QItemSelectionModel::ClearAndSelect);
    scrollTo(first);
}

void Sheet::moveDown() {
    const QModelIndex c = currentIndex();
    if (!c.isValid() || c.row() + 1 >= model()->rowCount()) return;
    const QModelIndex next = model()->index(c.row() + 1, c.column());
    selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
    scrollTo(next);
}

void Sheet::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && state() != EditingState) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            moveDown();
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            emit clearRequested();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

// Enter ends an edit with SubmitModelCache; like a spreadsheet, it then moves one row down.
void Sheet::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) moveDown();
}

} // namespace kelva::ui
