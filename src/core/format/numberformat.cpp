#include "numberformat.h"

#include <charconv>
#include <cmath>

namespace hemu {

namespace {

/**
 * The decimal digits of a magnitude: value = 0.digits × 10^point, no trailing zeros,
 * no digits at all for zero.
 */
struct Decimal
{
    char digits[24];
    int count = 0;
    int point = 0;
};

// Fifteen significant digits, not the shortest round-trip text. The figures shown are
// results of arithmetic on decimal inputs (0.7 × 1.5 is 1.0499999999999998 in binary) and
// single-precision totals widened to double (12.35f is 12.350000381469727); the digits past
// the fifteenth are binary noise, and rounding on them would show 1.0 where the user expects
// 1.1. Fifteen digits are also the most a double keeps faithfully in every case, so typed
// values such as 1.005 and 2.675 keep their decimal meaning and round up as written.
Decimal toDecimal(double magnitude)
{
    Decimal dec;
    if (magnitude == 0)
        return dec;
    char buf[40];
    const auto result = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const char *p = buf;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.')
            dec.digits[dec.count++] = *p;
    }
    int exponent = 0;
    if (p < result.ptr) {
        ++p; // 'e'
        const bool negativeExponent = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        std::from_chars(p, result.ptr, exponent);
        if (negativeExponent)
            exponent = -exponent;
    }
    dec.point = exponent + 1;
    while (dec.count > 0 && dec.digits[dec.count - 1] == '0')
        --dec.count;
    return dec;
}

// Rounds half away from zero (the digits are a magnitude) to `decimals` places.
void roundTo(Decimal &dec, int decimals)
{
    const int keep = dec.point + decimals; // digits left after rounding
    if (keep >= dec.count)
        return;
    if (keep < 0) {
        dec = Decimal();
        return;
    }
    const bool up = dec.digits[keep] >= '5';
    dec.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && dec.digits[i] == '9')
            --i;
        if (i >= 0) {
            ++dec.digits[i];
            dec.count = i + 1;
        } else {
            // 9.995 -> 10.00: all kept digits carried over into one more integer digit.
            dec.digits[0] = '1';
            dec.count = 1;
            ++dec.point;
        }
    }
    while (dec.count > 0 && dec.digits[dec.count - 1] == '0')
        --dec.count;
    if (dec.count == 0)
        dec = Decimal(); // a plain zero, so no leading fraction zeros are shown
}

} // namespace

NumberFormat::NumberFormat(const QString &pattern)
    : m_pattern(pattern)
{
    if (pattern.isEmpty())
        return;
    // Split on ';' outside quoted text; a quote inside a literal must not end a section.
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= pattern.size() && m_sections.size() < 3; ++i) {
        if (i == pattern.size() || (quote.isNull() && pattern.at(i) == u';')) {
            m_sections.append(parseSection(QStringView(pattern).mid(start, i - start)));
            start = i + 1;
        } else if (pattern.at(i) == u'\'' || pattern.at(i) == u'"') {
            if (quote.isNull())
                quote = pattern.at(i);
            else if (quote == pattern.at(i))
                quote = QChar();
        }
    }
}

NumberFormat::Section NumberFormat::parseSection(QStringView text)
{
    Section section;
    section.empty = text.isEmpty();
    bool seenPoint = false;
    int firstIntZero = -1;
    const auto addLiteral = [&section](QStringView literal) {
        if (literal.isEmpty())
            return;
        if (!section.tokens.isEmpty() && section.tokens.last().kind == Token::Literal)
            section.tokens.last().text += literal;
        else
            section.tokens.append(Token{Token::Literal, literal.toString()});
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\'' || c == u'"') {
            qsizetype end = text.indexOf(c, i + 1);
            if (end < 0)
                end = text.size(); // an unclosed quote runs to the end of the section
            addLiteral(text.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'0' || c == u'#') {
            if (seenPoint) {
                section.tokens.append(Token{Token::DecDigit, {}});
                ++section.maxDecimals;
                if (c == u'0')
                    section.minDecimals = section.maxDecimals;
            } else {
                section.tokens.append(Token{Token::IntDigit, {}});
                if (c == u'0' && firstIntZero < 0)
                    firstIntZero = section.intDigits;
                ++section.intDigits;
            }
        } else if (c == u'.') {
            if (!seenPoint)
                section.tokens.append(Token{Token::Point, {}});
            seenPoint = true;
        } else if (c == u',') {
            section.grouping = true;
        } else {
            addLiteral(text.mid(i, 1));
        }
    }
    section.minIntDigits = firstIntZero < 0 ? 0 : section.intDigits - firstIntZero;
    return section;
}

const NumberFormat::Section *NumberFormat::sectionOrFirst(int index) const
{
    if (index < m_sections.size() && !m_sections.at(index).empty)
        return &m_sections.at(index);
    return &m_sections.first();
}

QString NumberFormat::format(double value) const
{
    if (m_sections.isEmpty() || !std::isfinite(value))
        return defaultText(value);

    bool minus = false;
    const Section *section = nullptr;
    if (value == 0) {
        section = sectionOrFirst(2);
    } else if (value < 0) {
        section = sectionOrFirst(1);
        minus = section == &m_sections.first();
    } else {
        section = &m_sections.first();
    }
    if (section->empty)
        return defaultText(value);

    Decimal dec = toDecimal(std::fabs(value));
    roundTo(dec, section->maxDecimals);
    if (dec.count == 0 && value != 0) {
        // Rounded away to nothing: shown as a zero, and never as "-0.00".
        section = sectionOrFirst(2);
        minus = false;
        if (section->empty)
            return defaultText(0);
    }
    QString out;
    render(*section, minus, dec.digits, dec.count, dec.point, out);
    return out;
}

void NumberFormat::render(const Section &section, bool minus, const char *digits, int digitCount,
                          int pointPos, QString &out)
{
    // Integer digits as shown: the value's own, left-padded with zeros up to the forced count.
    const int valueIntLen = pointPos > 0 ? pointPos : 0;
    const int intLen = std::max(valueIntLen, section.minIntDigits);
    const int pad = intLen - valueIntLen;
    const auto intDigit = [&](int k) -> QChar {
        const int i = k - pad;
        return QLatin1Char(i >= 0 && i < digitCount ? digits[i] : '0');
    };
    const int fracLen = std::max(digitCount - pointPos, 0);
    const int decimalsShown = std::max(fracLen, section.minDecimals);
    const auto fracDigit = [&](int j) -> QChar {
        const int i = pointPos + j;
        return QLatin1Char(i >= 0 && i < digitCount ? digits[i] : '0');
    };
    const auto emitInt = [&](int from, int to) {
        for (int k = from; k < to; ++k) {
            out += intDigit(k);
            const int remaining = intLen - 1 - k;
            if (section.grouping && remaining > 0 && remaining % 3 == 0)
                out += u',';
        }
    };

    out.reserve(intLen + intLen / 3 + decimalsShown + 8);
    if (minus)
        out += u'-';
    int intIndex = 0;
    int decIndex = 0;
    for (const Token &token : section.tokens) {
        switch (token.kind) {
        case Token::Literal:
            out += token.text;
            break;
        case Token::IntDigit: {
            // Placeholders are matched to digits from the right; digits beyond the
            // placeholders all go out at the first one.
            const int fromRight = section.intDigits - 1 - intIndex;
            if (intIndex == 0)
                emitInt(0, intLen - fromRight);
            else if (intLen > fromRight)
                emitInt(intLen - 1 - fromRight, intLen - fromRight);
            ++intIndex;
            break;
        }
        case Token::Point:
            if (section.intDigits == 0) // ".00": the integer digits still have to show
                emitInt(0, intLen);
            if (decimalsShown > 0)
                out += u'.';
            break;
        case Token::DecDigit:
            if (decIndex < decimalsShown)
                out += fracDigit(decIndex);
            ++decIndex;
            break;
        }
    }
}

QString NumberFormat::format(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    return format(number);
}

QString NumberFormat::defaultText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for -0.0
    return QString::number(value, 'g', 15);
}

QString formatFloat(const QString &pattern, double value)
{
    return NumberFormat(pattern).format(value);
}

} // namespace hemu
