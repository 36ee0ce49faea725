#pragma once

#include "core/reports/printedbill.h"

#include <QList>
#include <QString>

namespace hemu::reports {

/// How wide and high text is on the canvas a bill is line-printed on, in that canvas's pixels.
class LineMetrics
{
public:
    virtual ~LineMetrics() = default;
    virtual double width(const QString &text, double points) const = 0;
    /// The height of "宋" at `points`: the line height.
    virtual double height(double points) const = 0;
};

/// Measures without a font database at `dpi` dots per inch: a CJK or full-width character is
/// one em wide, any other half an em; a line is one em high. The text export and the tests
/// lay out with it.
class EmLineMetrics : public LineMetrics
{
public:
    explicit EmLineMetrics(double dpi = 180)
        : m_dpi(dpi)
    {
    }
    double width(const QString &text, double points) const override;
    double height(double points) const override { return points * m_dpi / 72.0; }

private:
    double m_dpi;
};

/// One text drawn at (x, y) (the top left corner of its line) in "宋体" at `points`; `line`
/// is the line counter it was drawn at.
struct LineText
{
    double x = 0;
    double y = 0;
    int line = 0;
    double points = 10;
    QString text;
};

struct LinePage
{
    QList<LineText> texts;
};

namespace lineprint {

/// Detail rows on one page.
constexpr int kRowsPerPage = 8;
/// The separator: 105 "-".
QString separator();
/// The page count of a bill with `rows` lines: 0 rows give 0 pages.
int pageCount(int rows);
/// Quantities and amounts: two decimals always, no thousands separators ("1234.50").
QString number(double value);
/// "第2页,共3页".
QString pageCounter(int page, int pages);

/**
 * The pages of `bill` line-printed onto a canvas measured by `metrics`: the title in 14 point
 * at x 400, the counterpart, date and number, the remark, the column headings, eight rows a
 * page with their figures right-aligned under their headings, the page or bill total, the
 * prepared-by stamp `stamp`, the signature captions and the page counter. The line counter
 * starts at 1 on every page; y = line × the line height of the text's font.
 */
QList<LinePage> layout(const PrintedBill &bill, const QString &stamp, const LineMetrics &metrics);

/// The pages as plain text: each text at the column nearest its x (one column per half em of
/// 10 point), pages separated by a form feed.
QString toText(const QList<LinePage> &pages, const LineMetrics &metrics);

} // namespace lineprint
} // namespace hemu::reports
