#include "render/pagepainter.h"

#include <QPainter>

#include <cmath>

namespace hemu::render {

namespace {

QFont fontFor(const reports::FontSpec &spec, double dotsPerMm)
{
    QFont font(installedFamily(spec.family));
    font.setPixelSize(std::max(1, int(std::lround(spec.points * reports::kMmPerPoint * dotsPerMm))));
    font.setBold(spec.bold);
    font.setHintingPreference(QFont::PreferNoHinting); // scaled output keeps the designed widths
    return font;
}

Qt::Alignment alignment(reports::Align align)
{
    switch (align) {
    case reports::Align::Center:
        return Qt::AlignHCenter;
    case reports::Align::Right:
        return Qt::AlignRight;
    case reports::Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

QString installedFamily(const QString &reportFamily)
{
    return reportFamily == QStringLiteral("黑体") ? QStringLiteral("Noto Sans CJK SC") : QStringLiteral("Noto Serif CJK SC");
}

void paintPage(QPainter &painter, const reports::Page &page, double dotsPerMm)
{
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(0.2 * dotsPerMm);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const reports::PageItem &item : page.items) {
        const QRectF rect(item.x * dotsPerMm, item.y * dotsPerMm, item.width * dotsPerMm, item.height * dotsPerMm);
        switch (item.kind) {
        case reports::PageItem::Line:
            painter.drawLine(rect.topLeft(), rect.bottomRight());
            break;
        case reports::PageItem::Box:
            painter.drawRect(rect);
            break;
        case reports::PageItem::Text:
            painter.setFont(fontFor(item.font, dotsPerMm));
            painter.drawText(rect, alignment(item.align) | Qt::AlignVCenter | Qt::TextDontClip, item.text);
            break;
        }
    }
    painter.restore();
}

} // namespace hemu::render
