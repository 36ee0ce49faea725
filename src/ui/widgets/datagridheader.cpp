#include "ui/widgets/datagridheader.h"

#include "ui/widgets/datasetmodel.h"

#include <QPainter>

namespace hemu {

namespace {
constexpr int horizontalPadding = 6;
constexpr int verticalPadding = 3;
} // namespace

DataGridHeader::DataGridHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    // An upper cell spreads over several sections: when one of them moves or changes
    // size, the whole band is drawn again, not just the section that changed.
    connect(this, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
    connect(this, &QHeaderView::sectionMoved, viewport(), qOverload<>(&QWidget::update));
}

void DataGridHeader::splitCaption(const QString &caption, QString *upper, QString *lower)
{
    const int bar = caption.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        upper->clear();
        *lower = caption;
        return;
    }
    *upper = caption.left(bar);
    *lower = caption.mid(bar + 1);
}

QString DataGridHeader::caption(int logicalIndex) const
{
    if (!model())
        return {};
    const QVariant caption = model()->headerData(logicalIndex, orientation(), DatasetModel::CaptionRole);
    if (caption.isValid())
        return caption.toString();
    return model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
}

QString DataGridHeader::upperText(int logicalIndex) const
{
    QString upper, lower;
    splitCaption(caption(logicalIndex), &upper, &lower);
    return upper;
}

QString DataGridHeader::lowerText(int logicalIndex) const
{
    QString upper, lower;
    splitCaption(caption(logicalIndex), &upper, &lower);
    return lower;
}

bool DataGridHeader::isTwoLevel() const
{
    for (int logical = 0; logical < count(); ++logical) {
        if (!isSectionHidden(logical) && caption(logical).contains(QLatin1Char('|')))
            return true;
    }
    return false;
}

QList<int> DataGridHeader::upperSpan(int logicalIndex) const
{
    const QString upper = upperText(logicalIndex);
    if (upper.isEmpty() || isSectionHidden(logicalIndex))
        return {logicalIndex};
    // Hidden sections take no room, so the shown neighbours on either side of one meet.
    auto sameBand = [&](int visual) {
        const int logical = this->logicalIndex(visual);
        return caption(logical).contains(QLatin1Char('|')) && upperText(logical) == upper;
    };
    const int visual = visualIndex(logicalIndex);
    int first = visual;
    for (int v = visual - 1; v >= 0; --v) {
        if (isSectionHidden(this->logicalIndex(v)))
            continue;
        if (!sameBand(v))
            break;
        first = v;
    }
    int last = visual;
    for (int v = visual + 1; v < count(); ++v) {
        if (isSectionHidden(this->logicalIndex(v)))
            continue;
        if (!sameBand(v))
            break;
        last = v;
    }
    QList<int> span;
    for (int v = first; v <= last; ++v) {
        if (!isSectionHidden(this->logicalIndex(v)))
            span.append(this->logicalIndex(v));
    }
    return span;
}

void DataGridHeader::setHighlightedSection(int logicalIndex)
{
    if (m_highlighted == logicalIndex)
        return;
    m_highlighted = logicalIndex;
    viewport()->update();
}

QColor DataGridHeader::sectionBackground(int logicalIndex) const
{
    return logicalIndex == m_highlighted ? highlightBackground() : palette().color(QPalette::Button);
}

QColor DataGridHeader::sectionTextColour(int logicalIndex) const
{
    return logicalIndex == m_highlighted ? highlightText() : palette().color(QPalette::ButtonText);
}

int DataGridHeader::lineHeight() const
{
    return fontMetrics().height() + 2 * verticalPadding;
}

QRect DataGridHeader::spanRect(const QList<int> &span, int height) const
{
    int left = sectionViewportPosition(span.first());
    int right = left + sectionSize(span.first());
    for (int logical : span) {
        const int x = sectionViewportPosition(logical);
        left = qMin(left, x);
        right = qMax(right, x + sectionSize(logical));
    }
    return QRect(left, 0, right - left, height);
}

void DataGridHeader::paintCell(QPainter *painter, const QRect &cell, const QRect &clip, const QString &text,
                               bool highlighted) const
{
    painter->save();
    painter->setClipRect(clip, Qt::IntersectClip);
    painter->fillRect(cell, highlighted ? highlightBackground() : palette().color(QPalette::Button));
    // Grid lines on the right and at the bottom of every cell, as in the body of the grid.
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(cell.topRight(), cell.bottomRight());
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    painter->setPen(highlighted ? highlightText() : palette().color(QPalette::ButtonText));
    const QRect textRect = cell.adjusted(horizontalPadding / 2, 0, -horizontalPadding / 2, 0);
    painter->drawText(textRect, Qt::AlignCenter, fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

void DataGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QString upper, lower;
    splitCaption(caption(logicalIndex), &upper, &lower);
    const bool highlighted = logicalIndex == m_highlighted;
    const bool twoLine = caption(logicalIndex).contains(QLatin1Char('|')) && isTwoLevel();
    if (!twoLine) {
        paintCell(painter, rect, rect, lower, highlighted);
        return;
    }
    const int upperHeight = rect.height() / 2;
    // Each section paints its own slice of the shared upper cell; the text is centred on the
    // whole cell, so the slices join into one title.
    const QRect band = spanRect(upperSpan(logicalIndex), upperHeight);
    const QRect upperSlice(rect.left(), rect.top(), rect.width(), upperHeight);
    paintCell(painter, band.translated(0, rect.top()), upperSlice, upper, false);
    const QRect lowerCell(rect.left(), rect.top() + upperHeight, rect.width(), rect.height() - upperHeight);
    paintCell(painter, lowerCell, lowerCell, lower, highlighted);
}

QSize DataGridHeader::sectionSizeFromContents(int logicalIndex) const
{
    QString upper, lower;
    splitCaption(caption(logicalIndex), &upper, &lower);
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.horizontalAdvance(lower);
    if (!upper.isEmpty()) {
        // The upper text is shared: each section of its band needs only its part of it.
        const int spanCount = int(upperSpan(logicalIndex).size());
        width = qMax(width, (metrics.horizontalAdvance(upper) + spanCount - 1) / qMax(1, spanCount));
    }
    const int lines = isTwoLevel() ? 2 : 1;
    return QSize(width + 2 * horizontalPadding, lines * lineHeight());
}

} // namespace hemu
