#include "results/outwidgets.h"

#include "app/App.h"
#include "files/numtext.h"
#include "files/problemfile.h"
#include "ui/Grid.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kelva::outui {

QLineEdit* box(QWidget* parent, const char* name, const QString& accessible, int chars) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    b->setReadOnly(true);
    b->setAccessibleName(accessible);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QString(chars, '0')) + 12);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption.trimmed());
    b->setAutoDefault(false);
    return b;
}

ui::Grid* grid(QWidget* parent, const char* name, const QString& accessible, int fixedRows) {
    auto* g = new ui::Grid(parent);
    g->setObjectName(name);
    g->setAccessibleName(accessible);
    g->setFixedRows(fixedRows);
    return g;
}

void problemRow(QWidget* parent, QBoxLayout* v, QLabel*& lblProbno, QLineEdit*& txtProbno) {
    txtProbno = box(parent, "txtProbno", "Problem no.", 5);
    lblProbno = label(parent, "lblProbno", "Problem no.", txtProbno);
    auto* row = new QHBoxLayout;
    row->addWidget(lblProbno);
    row->addWidget(txtProbno);
    row->addStretch();
    v->addLayout(row);
}

void showProblemRow(const ResultForm& o, QLabel* lblProbno, QLineEdit* txtProbno) {
    lblProbno->setVisible(o.probnoVisible);
    txtProbno->setVisible(o.probnoVisible);
    txtProbno->setText(qs(o.txtProbno));
}

ui::Grid* fourColumnGrid(QWidget* parent, const char* name, const QString& accessible, const QString& heading0,
                         int twips) {
    ui::Grid* g = grid(parent, name, accessible);
    g->setColCount(4);
    g->setRowCount(2);
    g->setColHeading(0, heading0);
    for (int c = 0; c < 4; ++c) g->setColWidthTwips(c, twips);
    for (int c = 1; c < 4; ++c) g->setColCentered(c);
    return g;
}

void showTable(ui::Grid& g, const TextTable& t) {
    const int rows = static_cast<int>(t.size());
    int cols = 0;
    for (const auto& row : t) cols = std::max(cols, static_cast<int>(row.size()));
    g.setUpdatesEnabled(false);
    if (g.columnCount() != cols) g.setColCount(cols);
    if (g.rowCount() != rows) g.setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const auto& row = t[static_cast<std::size_t>(r)];
        for (int c = 0; c < cols; ++c) {
            const QString s =
                c < static_cast<int>(row.size()) ? qs(row[static_cast<std::size_t>(c)]) : QString();
            if (g.text(r, c) != s) g.setText(r, c, s);
        }
    }
    // New contents: no cell of the previous ones stays marked as current.
    if (!g.hasFocus()) g.setCurrentCell(-1, -1);
    g.setUpdatesEnabled(true);
}

QString workDir(const ProgramState& st) {
    return qs(st.Directory.empty() ? defaultDirectory() : st.Directory);
}

int shownProblem(const ResultForm& o) {
    return static_cast<int>(std::max(1L, text::leadingWhole(o.cboProbno)));
}

void printPage(App& app, QWidget* parent, QWidget& page, const QString& pdfStem) {
    ui::printPage(app.ui(), app.printer(), parent, page, workDir(app.st()), pdfStem);
}

} // namespace kelva::outui
