#include "ui/widgets/gridprinter.h"

#include "core/format/datetext.h"

#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace hemu {

namespace {

// Layout units are screen pixels at 96 dpi: the columns keep the widths the user sees.
constexpr qreal screenDpi = 96;
constexpr qreal rowHeight = 20;
constexpr qreal headingHeight = 34;
constexpr qreal footerHeight = 26;
constexpr qreal cellPadding = 4;

} // namespace

GridPrinter::GridPrinter(GridTable table, const QDate &printDate)
    : m_table(std::move(table))
    , m_date(printDate)
{
    m_font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Sans")});
    m_font.setPixelSize(12);
    m_headingFont = m_font;
    m_headingFont.setPixelSize(18);
    m_headingFont.setBold(true);
}

QString GridPrinter::pageText(int page, int pages)
{
    return QStringLiteral("第%1页/共%2页").arg(page).arg(pages);
}

qreal GridPrinter::titleHeight() const
{
    return m_table.hasTwoLineTitles() ? 2 * rowHeight : rowHeight;
}

GridPrinter::Layout GridPrinter::layout(const QPagedPaintDevice &device) const
{
    Layout result;
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    qreal total = 0;
    for (const GridTable::Column &column : m_table.columns)
        total += column.width;
    const qreal natural = device.logicalDpiX() / screenDpi;
    result.scale = total > 0 ? qMin(natural, page.width() / total) : natural;
    result.width = page.width() / result.scale;
    const qreal height = page.height() / result.scale;
    const qreal room = height - headingHeight - titleHeight() - footerHeight;
    result.rowsPerPage = qMax(1, int(std::floor(room / rowHeight)));
    result.pages = qMax(1, (m_table.rowCount() + result.rowsPerPage - 1) / result.rowsPerPage);
    return result;
}

int GridPrinter::pageCount(const QPagedPaintDevice &device) const
{
    return layout(device).pages;
}

void GridPrinter::print(QPrinter *printer) const
{
    const Layout pages = layout(*printer);
    QPainter painter(printer);
    for (int page = 0; page < pages.pages; ++page) {
        if (page > 0)
            printer->newPage();
        painter.save();
        painter.scale(pages.scale, pages.scale);
        paintPage(painter, pages, page);
        painter.restore();
    }
}

void GridPrinter::paintPage(QPainter &painter, const Layout &layout, int page) const
{
    const QPen grid(QColor(96, 96, 96), 0);
    painter.setFont(m_headingFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 0, layout.width, headingHeight - 6), Qt::AlignHCenter | Qt::AlignVCenter, m_table.title);

    painter.setFont(m_font);
    qreal y = headingHeight;
    const bool twoLines = m_table.hasTwoLineTitles();
    // A table narrower than the page stands in its middle, under the heading.
    qreal tableWidth = 0;
    for (const GridTable::Column &column : m_table.columns)
        tableWidth += column.width;
    const qreal left = qMax<qreal>(0, (layout.width - tableWidth) / 2);
    qreal x = left;
    for (int c = 0; c < m_table.columns.size(); ++c) {
        const GridTable::Column &column = m_table.columns.at(c);
        painter.setPen(grid);
        if (twoLines && !column.upper.isEmpty()) {
            // Neighbours sharing an upper text share one upper cell.
            if (c == 0 || m_table.columns.at(c - 1).upper != column.upper) {
                qreal span = 0;
                for (int n = c; n < m_table.columns.size() && m_table.columns.at(n).upper == column.upper; ++n)
                    span += m_table.columns.at(n).width;
                const QRectF upper(x, y, span, rowHeight);
                painter.drawRect(upper);
                painter.setPen(Qt::black);
                painter.drawText(upper, Qt::AlignCenter, column.upper);
                painter.setPen(grid);
            }
            const QRectF lower(x, y + rowHeight, column.width, rowHeight);
            painter.drawRect(lower);
            painter.setPen(Qt::black);
            painter.drawText(lower, Qt::AlignCenter, column.lower);
        } else {
            const QRectF cell(x, y, column.width, titleHeight());
            painter.drawRect(cell);
            painter.setPen(Qt::black);
            painter.drawText(cell, Qt::AlignCenter, column.lower);
        }
        x += column.width;
    }
    y += titleHeight();

    const int first = page * layout.rowsPerPage;
    const int last = qMin(m_table.rowCount(), first + layout.rowsPerPage);
    for (int row = first; row < last; ++row, y += rowHeight) {
        x = left;
        for (int c = 0; c < m_table.columns.size(); ++c) {
            const GridTable::Column &column = m_table.columns.at(c);
            const QRectF cell(x, y, column.width, rowHeight);
            painter.setPen(grid);
            painter.drawRect(cell);
            painter.setPen(Qt::black);
            const QRectF text = cell.adjusted(cellPadding, 0, -cellPadding, 0);
            const QString shown = painter.fontMetrics().elidedText(m_table.texts.at(row).value(c), Qt::ElideRight,
                                                                   int(text.width()));
            painter.drawText(text, (column.numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, shown);
            x += column.width;
        }
    }

    const qreal pageHeight = headingHeight + titleHeight() + layout.rowsPerPage * rowHeight + footerHeight;
    const QRectF footer(0, pageHeight - footerHeight + 6, layout.width, footerHeight - 6);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("打印日期：") + billDateText(m_date));
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, pageText(page + 1, layout.pages));
}

} // namespace hemu
