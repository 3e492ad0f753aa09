#include "ui/Grid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>
#include <vector>

namespace kelva::ui {

Grid::Grid(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setWordWrap(false);
    setCornerButtonEnabled(false);
}

void Grid::setRowCount(int rows) {
    const int old = rowCount();
    QTableWidget::setRowCount(std::max(rows, 0));
    for (int r = old; r < std::min(rows, fixedRows_); ++r) styleRow(r);
}

void Grid::setColCount(int cols) { QTableWidget::setColumnCount(std::max(cols, 0)); }

void Grid::setFixedRows(int n) {
    fixedRows_ = std::max(n, 0);
    for (int r = 0; r < std::min(rowCount(), fixedRows_); ++r) styleRow(r);
}

QTableWidgetItem* Grid::item(int row, int col) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return nullptr;
    QTableWidgetItem* it = QTableWidget::item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        if (centred_.contains(col)) it->setTextAlignment(Qt::AlignCenter);
        if (row < fixedRows_) {
            QFont f = font();
            f.setBold(true);
            it->setFont(f);
            it->setBackground(palette().button());
        }
        setItem(row, col, it);
    }
    return it;
}

void Grid::styleRow(int row) {
    for (int c = 0; c < columnCount(); ++c)
        if (QTableWidgetItem* it = QTableWidget::item(row, c)) {
            QFont f = font();
            f.setBold(row < fixedRows_);
            it->setFont(f);
            it->setBackground(row < fixedRows_ ? palette().button() : QBrush());
        }
}

void Grid::setColHeading(int col, const QString& heading) {
    headings_[col] = heading;
    if (col >= 0 && col < columnCount()) setText(0, col, text(0, col));
}

void Grid::setText(int row, int col, const QString& text) {
    if (QTableWidgetItem* it = item(row, col)) it->setText(text);
    // The first caption row doubles as the column heading for assistive technology.
    if (row == 0 && col >= 0 && col < columnCount()) {
        QTableWidgetItem* h = horizontalHeaderItem(col);
        if (!h) {
            h = new QTableWidgetItem;
            setHorizontalHeaderItem(col, h);
        }
        h->setText(text.isEmpty() ? headings_.value(col) : text);
    }
}

QString Grid::text(int row, int col) const {
    const QTableWidgetItem* it = QTableWidget::item(row, col);
    return it ? it->text() : QString();
}

void Grid::setColWidthTwips(int col, int twips) {
    if (col < 0 || col >= columnCount()) return;
    setColumnWidth(col, twips * logicalDpiX() / 1440);
}

void Grid::setColCentered(int col, bool centred) {
    if (centred && !centred_.contains(col)) centred_.push_back(col);
    if (!centred) centred_.removeAll(col);
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* it = QTableWidget::item(r, col))
            it->setTextAlignment(centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
}

void Grid::setCellColor(int row, int col, const QColor& color) {
    if (QTableWidgetItem* it = item(row, col)) it->setForeground(color);
}

QColor Grid::cellColor(int row, int col) const {
    const QTableWidgetItem* it = QTableWidget::item(row, col);
    if (!it || it->foreground().style() == Qt::NoBrush) return palette().text().color();
    return it->foreground().color();
}

void Grid::sortRows(int firstCol, int lastCol) {
    firstCol = std::max(firstCol, 0);
    lastCol = std::min(lastCol, columnCount() - 1);
    if (rowCount() <= fixedRows_ + 1 || firstCol > lastCol) return;
    std::vector<std::vector<QTableWidgetItem*>> rows;
    for (int r = fixedRows_; r < rowCount(); ++r) {
        std::vector<QTableWidgetItem*> row;
        for (int c = 0; c < columnCount(); ++c) row.push_back(takeItem(r, c));
        rows.push_back(std::move(row));
    }
    auto key = [&](const std::vector<QTableWidgetItem*>& row, int c) {
        return row[static_cast<std::size_t>(c)] ? row[static_cast<std::size_t>(c)]->text().toUtf8() : QByteArray();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        for (int c = firstCol; c <= lastCol; ++c) {
            const QByteArray ka = key(a, c), kb = key(b, c);
            if (ka != kb) return ka < kb;
        }
        return false;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int c = 0; c < columnCount(); ++c)
            setItem(fixedRows_ + static_cast<int>(i), c, rows[i][static_cast<std::size_t>(c)]);
}

void Grid::clearAll() {
    clearContents();
    for (int c = 0; c < columnCount(); ++c)
        if (QTableWidgetItem* h = horizontalHeaderItem(c)) h->setText(QString());
}

void Grid::widenToContents() {
    for (int c = 0; c < columnCount(); ++c) {
        const int need = sizeHintForColumn(c);
        if (need > columnWidth(c)) setColumnWidth(c, need);
    }
}

QString Grid::selectedText() const {
    const auto ranges = selectedRanges();
    if (ranges.isEmpty()) return {};
    const QTableWidgetSelectionRange& r = ranges.first();
    QStringList lines;
    for (int row = r.topRow(); row <= r.bottomRow(); ++row) {
        QStringList cells;
        for (int col = r.leftColumn(); col <= r.rightColumn(); ++col) cells << text(row, col);
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

void Grid::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(selectedText());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace kelva::ui
