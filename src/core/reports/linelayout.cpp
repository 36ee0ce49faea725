#include "core/reports/linelayout.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace hemu::reports {

namespace {

bool isWide(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
        || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
        || (u >= 0xFFE0 && u <= 0xFFE6) || c.isSurrogate();
}

constexpr double kTitlePoints = 14;
constexpr double kPoints = 10;

/// Draws one page; the line counter and the texts are the canvas's state.
class PageWriter
{
public:
    PageWriter(const LineMetrics &metrics, LinePage &page)
        : m_metrics(metrics)
        , m_page(page)
    {
    }

    void setPoints(double points)
    {
        m_points = points;
        m_h = m_metrics.height(points);
    }
    void draw(double x, const QString &text)
    {
        m_page.texts.append(LineText{x, L * m_h, L, m_points, text});
    }
    /// `text` ending where `heading` (drawn at `headingX`) ends.
    void drawUnder(double headingX, const QString &heading, const QString &text)
    {
        draw(headingX + width(heading) - width(text), text);
    }
    double width(const QString &text) const { return m_metrics.width(text, m_points); }

    int L = 1;

private:
    const LineMetrics &m_metrics;
    LinePage &m_page;
    double m_points = kPoints;
    double m_h = 0;
};

struct Heading
{
    double x;
    const char *text;
};
const Heading kCode{1, "代码"};
const Heading kName{90, "品名型号"};
const Heading kUnit{600, "单位"};
const Heading kQty{700, "数量"};
const Heading kPrice{900, "单价"};
const Heading kAmount{1080, "金额"};
const Heading kTag{1180, "器号"};

} // namespace

double EmLineMetrics::width(const QString &text, double points) const
{
    double ems = 0;
    for (const QChar c : text)
        ems += isWide(c) ? 1.0 : 0.5;
    return ems * height(points);
}

namespace lineprint {

QString separator()
{
    return QString(105, QLatin1Char('-'));
}

int pageCount(int rows)
{
    return rows <= 0 ? 0 : (rows + kRowsPerPage - 1) / kRowsPerPage;
}

QString number(double value)
{
    // No "-0.00" for a tiny negative rounding to zero.
    const QString text = QString::number(value, 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

QString pageCounter(int page, int pages)
{
    return QStringLiteral("第%1页,共%2页").arg(page).arg(pages);
}

QList<LinePage> layout(const PrintedBill &bill, const QString &stamp, const LineMetrics &metrics)
{
    const int rows = int(bill.lines.size());
    const int pages = pageCount(rows);
    const QString rule = separator();
    const auto heading = [](const Heading &h) { return QString::fromUtf8(h.text); };
    QList<LinePage> result;
    for (int p = 0; p < pages; ++p) {
        LinePage page;
        PageWriter w(metrics, page);
        w.L = 1;
        w.setPoints(kTitlePoints);
        w.draw(400, bill.title());
        w.L += 1;
        w.setPoints(kPoints);
        w.L += 1;
        w.draw(1, rule);
        w.L += 1;
        w.draw(1, bill.lineCounterpart());
        w.draw(750, QStringLiteral("开单日期:") + bill.tabDate);
        w.draw(1050, QStringLiteral("单号:") + bill.numberText());
        w.L += 1;
        w.draw(1, bill.remark.trimmed().isEmpty() ? QStringLiteral(" ") : QStringLiteral("备注:") + bill.remark);
        w.L += 1;
        w.draw(1, rule);
        w.L += 1;
        for (const Heading &h : {kCode, kName, kUnit, kQty, kPrice, kAmount, kTag})
            w.draw(h.x, heading(h));
        w.L += 1;
        w.draw(1, rule);

        double pageSum = 0;
        const int first = p * kRowsPerPage;
        for (int r = first; r < std::min(rows, first + kRowsPerPage); ++r) {
            const PrintedBillLine &line = bill.lines.at(r);
            w.L += 1;
            w.draw(kCode.x, line.goodId);
            w.draw(kName.x, line.description);
            w.draw(kUnit.x, line.unit);
            w.drawUnder(kQty.x, heading(kQty), number(line.qty));
            w.drawUnder(kPrice.x, heading(kPrice), number(line.price));
            w.drawUnder(kAmount.x, heading(kAmount), number(line.amount()));
            pageSum += line.amount();
        }
        w.L += 1;
        const bool last = p + 1 == pages;
        w.draw(1, last ? QStringLiteral("合计金额:") : QStringLiteral("本页金额:"));
        w.drawUnder(kAmount.x, heading(kAmount), number(last ? bill.sumMoney : pageSum));
        w.L += 1;
        w.draw(1, rule);
        w.L += 1;
        w.draw(1, stamp);
        w.draw(700, QStringLiteral("经办人:"));
        w.draw(950, QStringLiteral("收货人:"));
        const QString counter = pageCounter(p + 1, pages);
        w.draw(1 + w.width(rule) - w.width(counter), counter);
        result.append(page);
    }
    return result;
}

QString toText(const QList<LinePage> &pages, const LineMetrics &metrics)
{
    const double cell = metrics.width(QStringLiteral("-"), kPoints);
    QStringList out;
    for (const LinePage &page : pages) {
        QMap<int, QList<const LineText *>> lines;
        for (const LineText &t : page.texts)
            lines[t.line].append(&t);
        QStringList pageLines;
        int lastLine = 0;
        for (auto it = lines.begin(); it != lines.end(); ++it) {
            for (int blank = lastLine + 1; blank < it.key(); ++blank)
                pageLines << QString();
            lastLine = it.key();
            QList<const LineText *> texts = it.value();
            std::sort(texts.begin(), texts.end(), [](const LineText *a, const LineText *b) { return a->x < b->x; });
            QString text;
            int column = 0; // in half-em cells
            for (const LineText *t : texts) {
                const int at = std::max(0, int(std::lround(t->x / cell)));
                if (at > column) {
                    text += QString(at - column, QLatin1Char(' '));
                    column = at;
                } else if (!text.isEmpty() && !text.endsWith(QLatin1Char(' '))) {
                    text += QLatin1Char(' ');
                    column += 1;
                }
                text += t->text;
                column += int(std::lround(metrics.width(t->text, kPoints) / cell));
            }
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            pageLines << text;
        }
        out << pageLines.join(QLatin1Char('\n'));
    }
    return out.isEmpty() ? QString() : out.join(QStringLiteral("\n\f\n")) + QLatin1Char('\n');
}

} // namespace lineprint
} // namespace hemu::reports
