#include "core/reports/reportitems.h"

namespace hemu::reports::items {

FontSpec song(double points, bool bold)
{
    return {QStringLiteral("宋体"), points, bold};
}

FontSpec hei(double points)
{
    return {QStringLiteral("黑体"), points, false};
}

ReportItem label(double x, double y, double w, const QString &text, const FontSpec &font, Align align)
{
    ReportItem item;
    item.kind = ReportItem::Label;
    item.x = x;
    item.y = y;
    item.width = w;
    item.height = font.lineHeight();
    item.text = text;
    item.font = font;
    item.align = align;
    return item;
}

ReportItem value(double x, double w, Expression expression, const FontSpec &font, const QString &mask, Align align,
                 bool blankIfZero)
{
    ReportItem item = label(x, 0, w, {}, font, align);
    item.kind = ReportItem::Value;
    item.expression = std::move(expression);
    item.format = NumberFormat(mask);
    item.blankIfZero = blankIfZero;
    return item;
}

ReportItem text(double x, double w, Expression expression, const FontSpec &font, Align align, bool wrap)
{
    ReportItem item = value(x, w, std::move(expression), font, {}, align, false);
    item.wrap = wrap;
    return item;
}

ReportItem sum(double x, double w, Expression expression, const FontSpec &font, const QString &mask)
{
    ReportItem item = value(x, w, std::move(expression), font, mask);
    item.kind = ReportItem::Sum;
    return item;
}

ReportItem variable(double x, double y, double w, const QString &name, const FontSpec &font, Align align, const QString &prefix)
{
    ReportItem item = label(x, y, w, prefix, font, align);
    item.kind = ReportItem::Variable;
    item.variable = name;
    return item;
}

ReportItem pageNumber(double x, double y, double w, const QString &prefix, const FontSpec &font, Align align,
                      const QString &suffix)
{
    ReportItem item = label(x, y, w, prefix, font, align);
    item.kind = ReportItem::PageNumber;
    item.suffix = suffix;
    return item;
}

ReportItem line(double x1, double y1, double x2, double y2)
{
    ReportItem item;
    item.kind = ReportItem::Line;
    item.x = x1;
    item.y = y1;
    item.width = x2 - x1;
    item.height = y2 - y1;
    return item;
}

ReportItem divider(double x)
{
    ReportItem item = line(x, 0, x, 0);
    item.fullHeight = true;
    return item;
}

Band pageFooter(const QString &prefix, const FontSpec &font, double width)
{
    Band band;
    band.height = font.lineHeight() + 1;
    band.frame.top = true;
    band.items << pageNumber(0, 1, width, prefix, font, Align::Center);
    return band;
}

} // namespace hemu::reports::items
