#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace hemu {

/**
 * A parsed numeric display pattern such as "0.0#;'-'0.0#;#.##": parsed once per field,
 * then used for every value a grid, report or edit box shows.
 *
 * Pattern rules:
 * - up to three sections separated by ';': positive; negative; zero. One section serves
 *   every value, negatives getting a leading '-'. An empty or missing negative or zero
 *   section falls back to the first section (negatives then get the leading '-' too).
 *   When the negative section is used it shows the magnitude and adds no sign of its own:
 *   the section supplies it ("'-'0.00", "-0.00", "'负'0.0"). Sections beyond the third are
 *   ignored.
 * - the zero section serves a value that is zero or that rounds to zero under the
 *   decimals of its own section (0.004 with "0.00;'-'0.00;#.##" shows nothing); a value
 *   that rounds to zero never shows a minus sign.
 * - '0' a digit always shown, '#' a digit shown only when significant, the first '.' the
 *   decimal point (later ones are dropped), any ',' groups the integer digits by thousands,
 *   text in '...' or "..." is copied unchanged, every other character is copied as is
 *   (there is no scientific notation: 'E' is just a letter).
 * - digits beyond the decimals the section allows are rounded half away from zero on the
 *   decimal digits of the value (see format()).
 * - an empty pattern, or an empty first section, shows the shortest natural text of the
 *   number (15 significant digits).
 */
class NumberFormat
{
public:
    NumberFormat() = default;
    explicit NumberFormat(const QString &pattern);

    QString pattern() const { return m_pattern; }
    /// True when values get the default display.
    bool isEmpty() const { return m_pattern.isEmpty(); }

    QString format(double value) const;
    /// NULL or invalid gives "". A text that is not a number is shown as it is.
    QString format(const QVariant &value) const;

    /// The default display of a number: 15 significant digits, no trailing zeros.
    static QString defaultText(double value);

private:
    struct Token
    {
        enum Kind : quint8 { Literal, IntDigit, Point, DecDigit };
        Kind kind;
        QString text; // Literal only
    };
    struct Section
    {
        QList<Token> tokens;
        int intDigits = 0;    // integer placeholders
        int minIntDigits = 0; // placeholders from the first integer '0' to the point
        int maxDecimals = 0;
        int minDecimals = 0;  // up to and including the last decimal '0'
        bool grouping = false;
        bool empty = true;    // nothing between the semicolons: falls back to section one
    };

    static Section parseSection(QStringView text);
    const Section *sectionOrFirst(int index) const;
    static void render(const Section &section, bool minus, const char *digits, int digitCount,
                       int pointPos, QString &out);

    QString m_pattern;
    QList<Section> m_sections; // one to three
};

/// Formats one value with a pattern; parse once with NumberFormat where many values are shown.
QString formatFloat(const QString &pattern, double value);

} // namespace hemu
