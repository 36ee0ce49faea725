#include "render/linepainter.h"

#include "render/pagepainter.h"
#include "render/pdfexport.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace hemu::render {

QFont lineFont(double points, double dpi)
{
    QFont font(installedFamily(QStringLiteral("宋体")));
    font.setPixelSize(std::max(1, int(std::lround(points * dpi / 72.0))));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double FontLineMetrics::width(const QString &text, double points) const
{
    return QFontMetricsF(lineFont(points, m_dpi)).horizontalAdvance(text);
}

double FontLineMetrics::height(double points) const
{
    return QFontMetricsF(lineFont(points, m_dpi)).height();
}

void paintLinePage(QPainter &painter, const reports::LinePage &page, double dpi, double yOffset)
{
    painter.save();
    painter.setPen(Qt::black);
    double points = -1;
    double ascent = 0;
    for (const reports::LineText &t : page.texts) {
        if (t.points != points) {
            points = t.points;
            const QFont font = lineFont(points, dpi);
            painter.setFont(font);
            ascent = QFontMetricsF(font).ascent();
        }
        painter.drawText(QPointF(t.x, yOffset + t.y + ascent), t.text);
    }
    painter.restore();
}

bool printLinePages(QPagedPaintDevice &device, int dpi, const QList<reports::LinePage> &pages, QString *error)
{
    if (pages.isEmpty())
        return true;
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("网络或打印机故障。");
        return false;
    }
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0)
            device.newPage();
        paintLinePage(painter, pages.at(p), dpi);
    }
    painter.end();
    return true;
}

bool writeLinePdf(const reports::PrintedBill &bill, const QString &stamp, const QString &file, QString *error)
{
    const QList<reports::LinePage> pages = reports::lineprint::layout(bill, stamp, FontLineMetrics(kLineDpi));
    const PdfSetup setup{bill.title(), QSizeF(kLinePaperWidthMm, kLinePaperHeightMm), kLineDpi};
    return writePdfFile(file, setup, [&](QPdfWriter &writer) {
        if (!pages.isEmpty())
            return printLinePages(writer, kLineDpi, pages);
        // A bill without lines still makes a (blank) one-page file: a PDF has a page.
        QPainter painter;
        return painter.begin(&writer);
    }, error);
}

} // namespace hemu::render
