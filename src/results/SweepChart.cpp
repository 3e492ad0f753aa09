#include "results/SweepChart.h"

#include "run/summary.h"

#include "files/numtext.h"

#include <QBuffer>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace kelva {
namespace {

constexpr const char* kNotPresent = "Not present";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString capitalised(QString s) {
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    return s;
}

// "problem 4", "problems 3 and 17", "problems 3–5, 9".
QString problemList(const QList<int>& ks) {
    const std::vector<int> v(ks.begin(), ks.end());
    return QString::fromStdString(problemRanges(v));
}

enum class Axis { None, Log, Linear };

Axis axisOf(std::string_view name, std::string_view kind, int col) {
    if (kind == "Concentration" || kind == "Activity" || kind == "Total dissolved") return Axis::Log;
    if (kind == "Log Activity" || name == "DOC" || (col == 1 && name == "pH")) return Axis::Linear;
    return Axis::None; // a kind the table leaves empty
}

bool strictlyMonotonic(const QList<double>& v) {
    bool up = true, down = true;
    for (qsizetype i = 1; i < v.size(); ++i) {
        up = up && v[i] > v[i - 1];
        down = down && v[i] < v[i - 1];
    }
    return up || down;
}

} // namespace

SweepChartData sweepChartData(const ResultForm& out, bool onlyMulti) {
    SweepChartData d;
    const TextTable& t = out.grdSweep;
    const int rows = static_cast<int>(t.size());
    if (rows < 3) return d;
    const int cols = static_cast<int>(t.front().size());
    const int nprob = rows - 2;
    auto cell = [&](int r, int c) -> std::string_view {
        const auto& row = t[static_cast<std::size_t>(r)];
        return c < static_cast<int>(row.size()) ? trimmed(row[static_cast<std::size_t>(c)])
                                                : std::string_view();
    };
    auto stopped = [&](int r) {
        return static_cast<std::size_t>(r) < out.grdSweepError.size() &&
               out.grdSweepError[static_cast<std::size_t>(r)];
    };

    // The swept pH is the x axis when it rises or falls steadily from problem to problem.
    const bool phColumn = cols > 1 && cell(0, 1) == "pH";
    QList<double> ph;
    bool phUsable = phColumn && !onlyMulti;
    for (int k = 1; phUsable && k <= nprob; ++k) {
        const std::string_view s = cell(k + 1, 1);
        phUsable = !s.empty() && s != kNotPresent;
        ph << text::leadingNumber(s);
    }
    d.againstPH = phUsable && strictlyMonotonic(ph);
    for (int k = 1; k <= nprob; ++k) d.x << (d.againstPH ? ph[k - 1] : k);

    QStringList notes;
    QList<int> limitProblems;
    for (int k = 1; k <= nprob; ++k)
        if (stopped(k + 1)) limitProblems << k;
    for (int j = d.againstPH ? 2 : 1; j < cols; ++j) {
        const std::string_view name = cell(0, j), kind = cell(1, j);
        const Axis axis = axisOf(name, kind, j);
        if (axis == Axis::None) continue;
        SweepLine line;
        line.logAxis = axis == Axis::Log;
        line.name = name == "DOC"  ? QString("DOC (mg/l)")
                    : kind.empty() ? qs(name)
                                   : qs(name) + " " + qs(kind);
        line.unit = line.logAxis    ? QString("mol/l")
                    : name == "DOC" ? line.name
                    : kind.empty()  ? qs(name)
                                    : "Log activity";
        for (int k = 1; k <= nprob; ++k) {
            const std::string_view s = cell(k + 1, j);
            if (s.empty()) continue;
            if (s == kNotPresent) {
                line.notPresent << k;
                continue;
            }
            const double v = text::leadingNumber(s);
            if (line.logAxis && !(v > 0)) continue; // no place on a logarithmic axis
            const QPointF p(d.x[k - 1], v);
            if (stopped(k + 1))
                line.limitHits << p;
            else
                line.points << p;
        }
        if (!line.notPresent.isEmpty())
            notes << line.name + " is not present in " + problemList(line.notPresent) +
                         " (grey triangles).";
        d.lines << line;
    }
    if (!limitProblems.isEmpty())
        notes.prepend(capitalised(problemList(limitProblems)) +
                      " stopped at the iteration limit: left out of the lines (red stars).");
    if (phColumn && !onlyMulti && !d.againstPH)
        notes
            << "The pH does not rise or fall steadily, so the results are drawn against the problem number.";
    d.note = notes.join('\n');
    return d;
}

SweepChart::SweepChart(QWidget* parent) : QChartView(parent) {
    setObjectName("chtSweep");
    setAccessibleName("Chart of the selected sweep results");
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(260);
    showData({});
}

namespace {

struct Range {
    double lo = 0, hi = 0;
    bool any = false;
    void add(const QList<QPointF>& ps) {
        for (const QPointF& p : ps) {
            lo = any ? std::min(lo, p.y()) : p.y();
            hi = any ? std::max(hi, p.y()) : p.y();
            any = true;
        }
    }
};

QAbstractAxis* logAxis(const Range& r) {
    auto* a = new QLogValueAxis;
    a->setBase(10);
    a->setLabelFormat("%.0e");
    a->setRange(std::pow(10.0, std::floor(std::log10(r.lo))),
                std::pow(10.0, std::ceil(std::log10(r.hi)) + (r.lo == r.hi)));
    return a;
}

QAbstractAxis* linearAxis(const Range& r) {
    auto* a = new QValueAxis;
    const double pad = r.hi > r.lo ? 0.05 * (r.hi - r.lo) : 0.5;
    a->setRange(r.lo - pad, r.hi + pad);
    a->applyNiceNumbers();
    return a;
}

double axisBottom(QAbstractAxis* a) {
    if (auto* l = qobject_cast<QLogValueAxis*>(a)) return l->min();
    return static_cast<QValueAxis*>(a)->min();
}

QScatterSeries* markers(const QString& name, const QColor& color, QScatterSeries::MarkerShape shape) {
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setColor(color);
    s->setBorderColor(color);
    s->setMarkerShape(shape);
    s->setMarkerSize(11);
    return s;
}

} // namespace

void SweepChart::showData(const SweepChartData& d) {
    QChart* old = chart();
    auto* c = new QChart;
    c->legend()->setAlignment(Qt::AlignBottom);
    Range logRange, linRange;
    for (const SweepLine& l : d.lines) {
        (l.logAxis ? logRange : linRange).add(l.points);
        (l.logAxis ? logRange : linRange).add(l.limitHits);
    }
    if (!logRange.any && !linRange.any) {
        c->setTitle("No selected results to draw");
        setChart(c);
        delete old;
        return;
    }
    c->setTitle("Selected sweep results");
    auto* x = new QValueAxis;
    x->setTitleText(d.againstPH ? "pH" : "Problem no.");
    const auto [xmin, xmax] = std::minmax_element(d.x.begin(), d.x.end());
    if (d.againstPH) {
        x->setRange(*xmin, *xmax + (*xmin == *xmax));
        x->applyNiceNumbers();
        x->setLabelFormat("%.1f");
    } else {
        x->setRange(*xmin - 0.5, *xmax + 0.5);
        x->setTickType(QValueAxis::TicksDynamic);
        x->setTickAnchor(1);
        x->setTickInterval(std::max(1.0, std::ceil((*xmax - *xmin) / 10.0)));
        x->setLabelFormat("%d");
    }
    c->addAxis(x, Qt::AlignBottom);
    QAbstractAxis* yLog = logRange.any ? logAxis(logRange) : nullptr;
    QAbstractAxis* yLin = linRange.any ? linearAxis(linRange) : nullptr;
    QStringList logUnits, linUnits;
    for (const SweepLine& l : d.lines) {
        QStringList& units = l.logAxis ? logUnits : linUnits;
        if (!units.contains(l.unit)) units << l.unit;
    }
    if (yLog) {
        yLog->setTitleText(logUnits.join(", "));
        c->addAxis(yLog, Qt::AlignLeft);
    }
    if (yLin) {
        yLin->setTitleText(linUnits.join(", "));
        c->addAxis(yLin, yLog ? Qt::AlignRight : Qt::AlignLeft);
    }
    auto attach = [&](QXYSeries* s, QAbstractAxis* y) {
        c->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    };
    QScatterSeries* limitLog = nullptr;
    QScatterSeries* limitLin = nullptr;
    QScatterSeries* absent = nullptr;
    QAbstractAxis* bottomAxis = yLog ? yLog : yLin;
    for (const SweepLine& l : d.lines) {
        auto* s = new QLineSeries;
        s->setName(l.name);
        s->setPointsVisible(true);
        s->append(l.points);
        attach(s, l.logAxis ? yLog : yLin);
        QScatterSeries*& limit = l.logAxis ? limitLog : limitLin;
        if (!l.limitHits.isEmpty()) {
            if (!limit) limit = markers("Iteration limit reached", Qt::red, QScatterSeries::MarkerShapeStar);
            limit->append(l.limitHits);
        }
        if (!l.notPresent.isEmpty()) {
            if (!absent) absent = markers("Not present", Qt::darkGray, QScatterSeries::MarkerShapeTriangle);
            for (int k : l.notPresent) absent->append(d.x[k - 1], axisBottom(bottomAxis));
        }
    }
    if (limitLog) attach(limitLog, yLog);
    if (limitLin) attach(limitLin, yLin);
    if (limitLog && limitLin) // one legend entry for the marks on both axes
        for (QLegendMarker* m : c->legend()->markers(limitLin)) m->setVisible(false);
    if (absent) attach(absent, bottomAxis);
    setChart(c);
    delete old;
}

bool SweepChart::save(const QString& path, QString& err) {
    const QString suffix = path.section('.', -1).toLower();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        err = file.errorString();
        return false;
    }
    bool ok = false;
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size());
        svg.setViewBox(QRect(QPoint(0, 0), size()));
        svg.setTitle("Selected sweep results");
        QPainter painter(&svg);
        render(&painter);
        ok = painter.end();
    } else {
        ok = grab().save(&file, "PNG");
    }
    if (!ok) {
        file.cancelWriting();
        err = "the image could not be written";
        return false;
    }
    if (!file.commit()) {
        err = file.errorString();
        return false;
    }
    return true;
}

} // namespace kelva
