// The read-only grid of the result windows: rows and columns of texts, the first rows fixed as
// captions, column widths in twips, centred value columns, a cell colour, and one sort of the
// rows below the captions. Cell (r, c) here is cell (r, c) of the table the windows describe:
// the caption rows are ordinary rows of the table (shown like headings), so a screen reader
// and UI automation read the table cell by cell as it is laid out.
#pragma once

#include <QColor>
#include <QMap>
#include <QString>
#include <QTableWidget>

namespace kelva::ui {

class Grid : public QTableWidget {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    void setRowCount(int rows);
    void setColCount(int cols);
    // The first `n` rows are captions: shown like headings, never sorted.
    void setFixedRows(int n);
    int fixedRows() const { return fixedRows_; }

    // The heading screen readers announce for column `col` while its caption cell is empty.
    void setColHeading(int col, const QString& heading);

    void setText(int row, int col, const QString& text);
    QString text(int row, int col) const;

    // 1440 twips are one inch (at the screen's logical resolution).
    void setColWidthTwips(int col, int twips);
    void setColCentered(int col, bool centred = true);
    void setCellColor(int row, int col, const QColor& color);
    QColor cellColor(int row, int col) const;

    // Sorts every row below the captions ascending by the texts of columns first..last, compared
    // left to right, case-sensitively (as byte strings).
    void sortRows(int firstCol, int lastCol);

    // Empties every cell, captions included (the caller writes the captions again).
    void clearAll();

    // Widens each column whose texts need more room than its width (never narrows one), so
    // that no caption or value is cut off.
    void widenToContents();

    // The selected block as tab-separated lines (for the clipboard).
    QString selectedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTableWidgetItem* item(int row, int col);
    void styleRow(int row);

    int fixedRows_ = 1;
    QList<int> centred_;
    QMap<int, QString> headings_;
};

} // namespace kelva::ui
