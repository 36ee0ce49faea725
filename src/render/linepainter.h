#pragma once

#include "core/reports/linelayout.h"

#include <QFont>

class QPainter;
class QPagedPaintDevice;

namespace hemu::render {

/// The line-printing font "宋体" at `points` on a canvas of `dpi` dots per inch.
QFont lineFont(double points, double dpi);

/// Measures with the installed font that stands for "宋体", on a canvas of `dpi` dots per inch.
class FontLineMetrics : public reports::LineMetrics
{
public:
    explicit FontLineMetrics(double dpi)
        : m_dpi(dpi)
    {
    }
    double width(const QString &text, double points) const override;
    double height(double points) const override;

private:
    double m_dpi;
};

/// Paints one line-printed page, its texts shifted down by `yOffset` pixels.
void paintLinePage(QPainter &painter, const reports::LinePage &page, double dpi, double yOffset = 0);

/// Paints every page onto `device` (a printer or a PDF writer) at its resolution, a new page
/// before every page but the first. False with `error` set when painting cannot begin.
bool printLinePages(QPagedPaintDevice &device, int dpi, const QList<reports::LinePage> &pages, QString *error = nullptr);

/// The custom paper the line printing is laid out for: 200.0 mm wide, 94.0 mm long, 180 dpi.
constexpr double kLinePaperWidthMm = 200.0;
constexpr double kLinePaperHeightMm = 94.0;
constexpr int kLineDpi = 180;

/// Writes the bill's line-printed pages as a PDF on the custom paper at 180 dpi.
bool writeLinePdf(const reports::PrintedBill &bill, const QString &stamp, const QString &file, QString *error = nullptr);

} // namespace hemu::render
