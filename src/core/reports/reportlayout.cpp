#include "core/reports/reportlayout.h"

#include "core/reports/textmetrics.h"

#include <algorithm>

namespace hemu::reports {

struct ReportLayout::Placed
{
    QList<PageItem> items; // relative to the band's top left corner
    double height = 0;
    double width = 0;
};

namespace {

bool isZero(const QVariant &value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    return value.isNull() || (ok && d == 0);
}

int sumCount(const std::optional<Band> &band)
{
    return band ? int(band->items.size()) : 0;
}

} // namespace

ReportLayout::ReportLayout(const ReportDefinition &definition, RecordSource &source, QHash<QString, QVariant> variables)
    : m_def(definition)
    , m_source(source)
    , m_variables(std::move(variables))
{
    m_model.paperWidth = m_def.page.paperWidth;
    m_model.paperHeight = m_def.page.paperHeight;
    m_model.basePoints = m_def.font.points;
    m_groupSums.fill(0, sumCount(m_def.groupFooter));
    m_totalSums.fill(0, sumCount(m_def.summary));
}

PageModel ReportLayout::run(const ReportDefinition &definition, RecordSource &source, const QHash<QString, QVariant> &variables)
{
    ReportLayout layout(definition, source, variables);
    while (!layout.step(1000)) {
    }
    return layout.m_model;
}

int ReportLayout::completedPages() const
{
    return int(m_model.pages.size()) - (m_pageOpen ? 1 : 0);
}

bool ReportLayout::step(int records)
{
    if (m_state == State::Finished)
        return true;
    if (m_state == State::NotStarted) {
        m_state = State::Running;
        if (!m_source.next()) {
            // No records: only a report that prints when empty has pages, and then without
            // groups: headings, summary and page footer.
            if (m_def.printIfEmpty) {
                openPage();
                if (m_def.summary)
                    place(*m_def.summary, nullptr, &m_totalSums, true);
                closePage();
            }
            m_state = State::Finished;
            return true;
        }
        openPage();
        record(m_source.record());
        --records;
    }
    for (; records > 0; --records) {
        if (!m_source.next()) {
            finish();
            return true;
        }
        record(m_source.record());
    }
    return false;
}

void ReportLayout::record(const Record &rec)
{
    ++m_records;
    if (m_def.groupExpression) {
        const QVariant group = m_def.groupExpression(rec);
        if (!m_inGroup || group != m_group) {
            if (m_inGroup && m_def.groupFooter) {
                place(*m_def.groupFooter, nullptr, &m_groupSums, false);
                std::fill(m_groupSums.begin(), m_groupSums.end(), 0.0);
            }
            m_inGroup = true;
            m_group = group;
            if (m_def.groupHeader)
                place(*m_def.groupHeader, &rec, nullptr, false);
        }
    }
    if (m_def.detail)
        place(*m_def.detail, &rec, nullptr, false);
    if (m_def.subDetail && m_def.subDetailSource) {
        if (const auto sub = m_def.subDetailSource(rec)) {
            while (sub->next())
                place(*m_def.subDetail, &sub->record(), nullptr, false);
        }
    }
    if (m_def.groupFooter)
        addSums(*m_def.groupFooter, m_groupSums, rec);
    if (m_def.summary)
        addSums(*m_def.summary, m_totalSums, rec);
}

void ReportLayout::addSums(const Band &band, QList<double> &sums, const Record &rec)
{
    for (int i = 0; i < band.items.size(); ++i) {
        const ReportItem &item = band.items.at(i);
        if (item.kind == ReportItem::Sum && item.expression)
            sums[i] += item.expression(rec).toDouble();
    }
}

void ReportLayout::finish()
{
    if (m_inGroup && m_def.groupFooter)
        place(*m_def.groupFooter, nullptr, &m_groupSums, false);
    if (m_def.summary)
        place(*m_def.summary, nullptr, &m_totalSums, true);
    closePage();
    m_state = State::Finished;
}

QString ReportLayout::itemText(const ReportItem &item, const Record *rec, double sum) const
{
    QVariant value;
    switch (item.kind) {
    case ReportItem::Label:
        return item.text;
    case ReportItem::Variable:
        return item.text + m_variables.value(item.variable).toString() + item.suffix;
    case ReportItem::PageNumber:
        return item.text + QString::number(m_model.pages.size()) + item.suffix;
    case ReportItem::Value:
        if (!rec || !item.expression)
            return {};
        value = item.expression(*rec);
        break;
    case ReportItem::Sum:
        value = sum;
        break;
    case ReportItem::Line:
    case ReportItem::Frame:
        return {};
    }
    if (item.blankIfZero && isZero(value))
        return {};
    if (value.typeId() == QMetaType::QString || item.format.isEmpty())
        return value.toString();
    return item.format.format(value);
}

ReportLayout::Placed ReportLayout::prepare(const Band &band, const Record *rec, const QList<double> *sums, double width) const
{
    Placed placed;
    placed.width = width;
    placed.height = band.height;
    QList<const ReportItem *> stretching;
    for (int i = 0; i < band.items.size(); ++i) {
        const ReportItem &item = band.items.at(i);
        if (item.kind == ReportItem::Line || item.kind == ReportItem::Frame) {
            if (item.fullHeight)
                stretching << &item;
            else
                placed.items << PageItem{item.kind == ReportItem::Line ? PageItem::Line : PageItem::Box,
                                         item.x, item.y, item.width, item.height, {}, item.font, item.align};
            continue;
        }
        const QString text = itemText(item, rec, sums && i < sums->size() ? sums->at(i) : 0.0);
        if (text.isEmpty())
            continue;
        const QStringList lines = item.wrap ? textmetrics::wrap(text, item.font, item.width) : QStringList{text};
        const double lineHeight = std::max(item.height, item.font.lineHeight());
        for (int l = 0; l < lines.size(); ++l) {
            if (!lines.at(l).isEmpty())
                placed.items << PageItem{PageItem::Text, item.x, item.y + l * lineHeight, item.width, lineHeight,
                                         lines.at(l), item.font, item.align};
        }
        placed.height = std::max(placed.height, item.y + lines.size() * lineHeight);
    }
    for (const ReportItem *item : stretching)
        placed.items << PageItem{PageItem::Line, item->x, item->y, 0, placed.height - item->y, {}, item->font, item->align};
    const auto edge = [&](double x1, double y1, double x2, double y2) {
        placed.items << PageItem{PageItem::Line, x1, y1, x2 - x1, y2 - y1, {}, {}, Align::Left};
    };
    if (band.frame.top)
        edge(0, 0, width, 0);
    if (band.frame.bottom)
        edge(0, placed.height, width, placed.height);
    if (band.frame.left)
        edge(0, 0, 0, placed.height);
    if (band.frame.right)
        edge(width, 0, width, placed.height);
    return placed;
}

void ReportLayout::put(const Placed &placed, double x, double y)
{
    Page &page = m_model.pages.last();
    for (PageItem item : placed.items) {
        item.x += x;
        item.y += y;
        page.items << item;
    }
}

double ReportLayout::columnWidth() const
{
    const PageSetup &p = m_def.page;
    const int columns = std::max(1, p.columns);
    return (p.paperWidth - p.marginLeft - p.marginRight - (columns - 1) * p.columnSpacing) / columns;
}

double ReportLayout::columnLeft(int column) const
{
    return m_def.page.marginLeft + column * (columnWidth() + m_def.page.columnSpacing);
}

double ReportLayout::bodyBottom() const
{
    const double footer = m_def.pageFooter ? m_def.pageFooter->height : 0;
    return m_def.page.paperHeight - m_def.page.marginBottom - footer;
}

void ReportLayout::openPage()
{
    m_model.pages.append(Page{});
    m_pageOpen = true;
    m_column = 0;
    const PageSetup &p = m_def.page;
    const double fullWidth = p.paperWidth - p.marginLeft - p.marginRight;
    double y = p.marginTop;
    if (m_def.pageHeader) {
        const Placed header = prepare(*m_def.pageHeader, nullptr, nullptr, fullWidth);
        put(header, p.marginLeft, y);
        y += header.height;
    }
    m_columnTop = y;
    m_lowest = y;
    m_y = y;
    m_columnUsed = false;
    if (m_def.columnHeader) {
        const Placed header = prepare(*m_def.columnHeader, nullptr, nullptr, columnWidth());
        put(header, columnLeft(0), m_y);
        m_y += header.height;
        m_lowest = m_y;
    }
}

void ReportLayout::closePage()
{
    if (!m_pageOpen)
        return;
    if (m_def.pageFooter) {
        const PageSetup &p = m_def.page;
        const Placed footer = prepare(*m_def.pageFooter, nullptr, nullptr, p.paperWidth - p.marginLeft - p.marginRight);
        put(footer, p.marginLeft, p.paperHeight - p.marginBottom - footer.height);
    }
    m_pageOpen = false;
}

void ReportLayout::nextColumnOrPage()
{
    if (m_column + 1 < std::max(1, m_def.page.columns)) {
        ++m_column;
        m_y = m_columnTop;
        m_columnUsed = false;
        if (m_def.columnHeader) {
            const Placed header = prepare(*m_def.columnHeader, nullptr, nullptr, columnWidth());
            put(header, columnLeft(m_column), m_y);
            m_y += header.height;
        }
        return;
    }
    closePage();
    openPage();
}

void ReportLayout::place(const Band &band, const Record *rec, const QList<double> *sums, bool wholeWidth)
{
    const PageSetup &p = m_def.page;
    const double width = wholeWidth ? p.paperWidth - p.marginLeft - p.marginRight : columnWidth();
    const Placed placed = prepare(band, rec, sums, width);
    if (wholeWidth) {
        // Across the page, below everything in any column.
        if (m_lowest + placed.height > bodyBottom() + 1e-9 && (m_columnUsed || m_column > 0)) {
            closePage();
            openPage();
        }
        put(placed, p.marginLeft, m_lowest);
        m_lowest += placed.height;
        m_y = m_lowest;
        m_columnUsed = true;
        return;
    }
    // A band taller than a whole column stays where it is rather than break pages forever.
    if (m_y + placed.height > bodyBottom() + 1e-9 && m_columnUsed)
        nextColumnOrPage();
    put(placed, columnLeft(m_column), m_y);
    m_y += placed.height;
    m_lowest = std::max(m_lowest, m_y);
    m_columnUsed = true;
}

} // namespace hemu::reports
