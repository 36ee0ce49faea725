#include "core/reports/textmetrics.h"

namespace hemu::reports::textmetrics {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

double charWidth(char32_t c, double em)
{
    return isWide(c) ? em : em / 2;
}

void wrapParagraph(const QString &text, const FontSpec &font, double width, QStringList &lines)
{
    const double em = font.points * kMmPerPoint;
    QString line;
    double lineWidth = 0;
    int lastBlank = -1; // index in `line` of the last blank, where a break is preferred
    for (const char32_t c : text.toUcs4()) {
        const QString s = QString::fromUcs4(&c, 1);
        const double w = charWidth(c, em);
        if (lineWidth + w > width + 1e-9 && !line.isEmpty()) {
            if (c == U' ') { // a blank at the break disappears
                lines << line;
                line.clear();
                lineWidth = 0;
                lastBlank = -1;
                continue;
            }
            QString carry;
            if (lastBlank >= 0) {
                carry = line.mid(lastBlank + 1);
                line.truncate(lastBlank);
            }
            lines << line;
            line = carry;
            lineWidth = textmetrics::width(line, font);
            lastBlank = -1;
        }
        if (c == U' ')
            lastBlank = int(line.size());
        line += s;
        lineWidth += w;
    }
    lines << line;
}

} // namespace

double width(const QString &text, const FontSpec &font)
{
    const double em = font.points * kMmPerPoint;
    double w = 0;
    for (const char32_t c : text.toUcs4())
        w += charWidth(c, em);
    return w;
}

QStringList wrap(const QString &text, const FontSpec &font, double width)
{
    QStringList lines;
    // Most texts fit on one line: measure before breaking anything.
    if (!text.contains(QLatin1Char('\n')) && textmetrics::width(text, font) <= width + 1e-9)
        return {text};
    for (const QString &paragraph : text.split(QLatin1Char('\n')))
        wrapParagraph(paragraph, font, width, lines);
    return lines;
}

} // namespace hemu::reports::textmetrics
