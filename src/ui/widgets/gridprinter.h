#pragma once

#include "ui/widgets/gridtable.h"

#include <QDate>
#include <QFont>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace hemu {

/**
 * Lays a grid's table out on pages and paints them: a heading line, the column titles (two
 * rows where titles have two lines) repeated on every page, the rows, and a footer with the
 * print date and "第n页/共m页". Columns keep their screen proportions, scaled to the page
 * width (never above their natural size).
 */
class GridPrinter
{
public:
    explicit GridPrinter(GridTable table, const QDate &printDate = QDate::currentDate());

    /// Pages the table takes on `device` (at least one).
    int pageCount(const QPagedPaintDevice &device) const;
    /// Paints every page on `printer` (preview, paper or PDF).
    void print(QPrinter *printer) const;

    /// "第n页/共m页"
    static QString pageText(int page, int pages);

private:
    struct Layout
    {
        qreal scale = 1;
        qreal width = 0;  // page width in layout units
        int rowsPerPage = 1;
        int pages = 1;
    };
    Layout layout(const QPagedPaintDevice &device) const;
    void paintPage(QPainter &painter, const Layout &layout, int page) const;
    qreal titleHeight() const;

    GridTable m_table;
    QDate m_date;
    QFont m_font;
    QFont m_headingFont;
};

} // namespace hemu
