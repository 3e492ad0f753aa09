// The chart of the sweep table: one line per selected result against the swept pH (or, for a
// list of independent problems, against the problem number). Concentrations, activities and
// totals go on a logarithmic axis, log activities, pH and DOC on a linear one. Values of
// problems that stopped at the iteration limit, and entries not present in a problem, are left
// out of the lines and marked.
#pragma once

#include "state/state.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QtCharts/QChartView>

namespace kelva {

struct SweepLine {
    QString name;             // entry name and kind, e.g. "Cu Concentration"
    bool logAxis = false;     // concentrations, activities, totals
    QString unit;             // what its axis measures: "mol/l", "Log activity", "pH", "DOC (mg/l)"
    QList<QPointF> points;    // the line
    QList<QPointF> limitHits; // values of problems stopped at the iteration limit (marked)
    QList<int> notPresent;    // problems without this entry (marked at the bottom)
};

struct SweepChartData {
    bool againstPH = false; // x is the swept pH; otherwise the problem number
    QList<double> x;        // x of problem k at index k - 1
    QList<SweepLine> lines;
    QString note; // what was left out, in words
};

// The chart's data from the sweep table. `onlyMulti`: the problems are independent (an
// "Only multi" list), so they are drawn against their number.
SweepChartData sweepChartData(const ResultForm& out, bool onlyMulti);

class SweepChart : public QChartView {
    Q_OBJECT
  public:
    explicit SweepChart(QWidget* parent = nullptr);
    void showData(const SweepChartData& data);
    // Saves the chart as PNG or SVG (by the name's suffix), replacing the file only once the
    // image is complete. False with a message in `err`.
    bool save(const QString& path, QString& err);
};

} // namespace kelva
