#pragma once

#include "core/reports/reportdefinition.h"

namespace hemu::reports::items {

FontSpec song(double points, bool bold = false);
FontSpec hei(double points);

/// A fixed text at (x, y), one line of `font` high.
ReportItem label(double x, double y, double w, const QString &text, const FontSpec &font, Align align = Align::Left);
/// A figure of the band's record through `mask`, blank when zero unless told otherwise.
ReportItem value(double x, double w, Expression expression, const FontSpec &font, const QString &mask = {},
                 Align align = Align::Right, bool blankIfZero = true);
/// A text of the band's record.
ReportItem text(double x, double w, Expression expression, const FontSpec &font, Align align = Align::Left, bool wrap = false);
/// The sum of `expression` over the records the band closes.
ReportItem sum(double x, double w, Expression expression, const FontSpec &font, const QString &mask);
/// `prefix` followed by the report variable `name`.
ReportItem variable(double x, double y, double w, const QString &name, const FontSpec &font, Align align,
                    const QString &prefix = {});
/// `prefix`, the page number, `suffix`.
ReportItem pageNumber(double x, double y, double w, const QString &prefix, const FontSpec &font, Align align,
                      const QString &suffix = {});
ReportItem line(double x1, double y1, double x2, double y2);
/// A vertical line down the whole band, growing with it.
ReportItem divider(double x);

/// A band with a line above and `prefix` + page number centred.
Band pageFooter(const QString &prefix, const FontSpec &font, double width);

} // namespace hemu::reports::items
