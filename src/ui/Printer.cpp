#include "ui/Printer.h"

#include "files/newfile.h"
#include "ui/Ui.h"

#include <QFile>
#include <QGraphicsView>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <string>

namespace kelva::ui {

namespace {

constexpr int kMaxSharpness = 4; // pixels per screen pixel of the printer's image of a window
constexpr auto kWholeWindow = QWidget::DrawWindowBackground | QWidget::DrawChildren;

QPageLayout::Orientation orientationFor(const QWidget& page) {
    return page.width() > page.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The factor that makes `page` as large as the printable `area` allows, in proportion.
qreal fitScale(const QWidget& page, const QSizeF& area) {
    return std::min(area.width() / std::max(page.width(), 1), area.height() / std::max(page.height(), 1));
}

// Each widget on its own, clipped to the part of it that shows (a table's rows end at its
// border): drawn in one piece, the widgets of a window lose their clipping on a vector device,
// and a clip where none is needed loses the style's small images.
void drawTree(QPainter& painter, QWidget& w, const QPoint& at, const QRect& clip) {
    const QRect shown = clip & QRect(at, w.size());
    if (shown.isEmpty()) return;
    painter.save();
    if (shown != QRect(at, w.size())) painter.setClipRect(shown);
    w.render(&painter, at, QRegion(), QWidget::DrawWindowBackground);
    auto* view = qobject_cast<QGraphicsView*>(&w);
    if (view) { // a chart: its scene, drawn by the view itself into its viewport
        const QRect port = view->viewport()->geometry();
        view->render(&painter, QRectF(at + port.topLeft(), port.size()), QRect(), Qt::IgnoreAspectRatio);
    }
    painter.restore();
    if (view) return;
    for (QObject* o : w.children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (child && !child->isWindow() && child->isVisible())
            drawTree(painter, *child, at + child->pos(), shown);
    }
}

// A PDF page: the window drawn as vectors, so its text stays text. At the screen's resolution
// the widgets' fonts keep their size against their boxes.
PrintResult toPdf(QWidget& page, const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(page.logicalDpiX());
    writer.setPageOrientation(orientationFor(page));
    writer.setTitle(page.window()->windowTitle());
    writer.setCreator("Kelvaspec");
    QPainter painter;
    if (!painter.begin(&writer))
        return {PrintResult::Kind::Failed, path, "the PDF file " + path + " cannot be written"};
    const qreal scale = fitScale(page, writer.pageLayout().paintRectPixels(writer.resolution()).size());
    painter.scale(scale, scale);
    drawTree(painter, page, QPoint(), page.rect());
    if (!painter.end())
        return {PrintResult::Kind::Failed, path, "the PDF file " + path + " cannot be finished"};
    return {PrintResult::Kind::SavedAsPdf, path, {}};
}

// A printer takes the window as an image (Qt draws widgets on printers that way), made sharp
// enough for paper.
PrintResult toPrinter(QWidget& page, const QPrinterInfo& installed) {
    QPrinter printer(installed, QPrinter::HighResolution);
    printer.setDocName(page.window()->windowTitle());
    printer.setPageOrientation(orientationFor(page));
    QPainter painter;
    if (!painter.begin(&printer))
        return {PrintResult::Kind::Failed, installed.printerName(),
                "the printer " + installed.printerName() + " cannot be started"};
    const qreal scale = fitScale(page, printer.pageRect(QPrinter::DevicePixel).size());
    const int sharpness = std::clamp(static_cast<int>(std::ceil(scale)), 1, kMaxSharpness);
    QImage image(page.size() * sharpness, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(sharpness);
    image.fill(Qt::white);
    page.render(&image, QPoint(), QRegion(), kWholeWindow);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(page.size()) * scale), image);
    // Ending the painter ends the job: the page goes out at once.
    if (!painter.end())
        return {PrintResult::Kind::Failed, installed.printerName(),
                "the page could not be finished on " + installed.printerName()};
    return {PrintResult::Kind::Printed, installed.printerName(), {}};
}

} // namespace

PrintResult QtPrinter::print(QWidget& page, const QString& pdfDir, const QString& pdfStem) {
    const QPrinterInfo installed = pdfOnly_ ? QPrinterInfo() : QPrinterInfo::defaultPrinter();
    if (!installed.isNull()) return toPrinter(page, installed);
    std::string path, err;
    if (!writeNewFile(pdfDir.toStdString(), pdfStem.toStdString(), ".pdf", "", path, err))
        return {PrintResult::Kind::Failed, {}, QString::fromStdString(err)};
    const PrintResult r = toPdf(page, QString::fromStdString(path));
    if (r.kind == PrintResult::Kind::Failed) QFile::remove(r.where);
    return r;
}

void printPage(Ui& ui, Printer& printer, QWidget* parent, QWidget& page, const QString& pdfDir,
               const QString& pdfStem) {
    const PrintResult r = printer.print(page, pdfDir, pdfStem);
    switch (r.kind) {
    case PrintResult::Kind::Printed:
        return;
    case PrintResult::Kind::SavedAsPdf:
        ui.message(parent, "Kelvaspec",
                   "No printer is installed on this computer, so the page is saved as a PDF file:\n" +
                       r.where,
                   Icon::Information);
        return;
    case PrintResult::Kind::Failed:
        ui.message(parent, "Error", "The page cannot be printed:\n" + r.error, Icon::Stop);
        return;
    }
}

} // namespace kelva::ui
