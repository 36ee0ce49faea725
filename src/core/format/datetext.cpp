#include "datetext.h"

#include <QLocale>
#include <optional>

namespace hemu {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

/// Reads minDigits..maxDigits decimal digits at `pos`, advancing it.
std::optional<int> readNumber(QStringView text, qsizetype &pos, int minDigits, int maxDigits)
{
    int value = 0;
    int count = 0;
    while (pos < text.size() && count < maxDigits && isAsciiDigit(text.at(pos))) {
        value = value * 10 + (text.at(pos).unicode() - '0');
        ++pos;
        ++count;
    }
    if (count < minDigits)
        return std::nullopt;
    return value;
}

bool expect(QStringView text, qsizetype &pos, char16_t c)
{
    if (pos < text.size() && text.at(pos) == c) {
        ++pos;
        return true;
    }
    return false;
}

struct Parsed
{
    QDate date;
    QTime time; // null when the text holds a date alone
    bool ok = false;
};

// A hand-made reader instead of QDateTime::fromString: grids parse a date per row, and the
// stored texts come in more than one shape (date alone, date and time, written by older
// or other tools with one-digit parts).
Parsed parseStored(QStringView text)
{
    Parsed result;
    text = text.trimmed();
    qsizetype pos = 0;
    const auto year = readNumber(text, pos, 4, 4);
    if (!year || !expect(text, pos, u'-'))
        return result;
    const auto month = readNumber(text, pos, 1, 2);
    if (!month || !expect(text, pos, u'-'))
        return result;
    const auto day = readNumber(text, pos, 1, 2);
    if (!day)
        return result;
    result.date = QDate(*year, *month, *day);
    if (!result.date.isValid())
        return result;
    if (pos == text.size()) {
        result.ok = true;
        return result;
    }
    if (!expect(text, pos, u' ') && !expect(text, pos, u'T'))
        return result;
    const auto hour = readNumber(text, pos, 1, 2);
    if (!hour || !expect(text, pos, u':'))
        return result;
    const auto minute = readNumber(text, pos, 2, 2);
    if (!minute)
        return result;
    int second = 0;
    int msec = 0;
    if (expect(text, pos, u':')) {
        const auto s = readNumber(text, pos, 2, 2);
        if (!s)
            return result;
        second = *s;
        if (expect(text, pos, u'.')) {
            // Fractions beyond milliseconds are read and dropped.
            const qsizetype start = pos;
            const auto fraction = readNumber(text, pos, 1, 3);
            if (!fraction)
                return result;
            msec = *fraction;
            for (qsizetype n = pos - start; n < 3; ++n)
                msec *= 10;
            while (pos < text.size() && isAsciiDigit(text.at(pos)))
                ++pos;
        }
    }
    if (pos != text.size())
        return result;
    result.time = QTime(*hour, *minute, second, msec);
    result.ok = result.time.isValid();
    return result;
}

} // namespace

QString billDateText(QDate date)
{
    if (!date.isValid())
        return {};
    return QString::number(date.year()) + u'-' + QString::number(date.month()) + u'-'
           + QString::number(date.day());
}

QString isoDateText(QDate date)
{
    if (!date.isValid())
        return {};
    return QString::number(date.year()).rightJustified(4, u'0') + u'-' + twoDigits(date.month())
           + u'-' + twoDigits(date.day());
}

QString isoDateTimeText(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return {};
    const QTime time = dateTime.time();
    return isoDateText(dateTime.date()) + u' ' + twoDigits(time.hour()) + u':'
           + twoDigits(time.minute()) + u':' + twoDigits(time.second());
}

QDate parseStoredDate(QStringView text)
{
    const Parsed parsed = parseStored(text);
    return parsed.ok ? parsed.date : QDate();
}

QDateTime parseStoredDateTime(QStringView text)
{
    const Parsed parsed = parseStored(text);
    if (!parsed.ok)
        return {};
    return QDateTime(parsed.date, parsed.time.isValid() ? parsed.time : QTime(0, 0));
}

namespace {
QLocale shortDateLocale()
{
    // The program speaks Chinese: without a configured locale, Chinese formats are used.
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::Chinese, QLocale::China);
    return locale;
}
} // namespace

QString shortDateText(QDate date)
{
    return shortDateLocale().toString(date, QLocale::ShortFormat);
}

QDate parseShortDate(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    const QLocale locale = shortDateLocale();
    QDate date = locale.toDate(trimmed, QLocale::ShortFormat);
    // A two-digit year reads as 19xx; the books are kept in this century.
    if (date.isValid() && !locale.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy")) && date.year() < 2000)
        date = date.addYears(100);
    return date.isValid() ? date : parseStoredDate(trimmed);
}

QString timeText(QTime time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace hemu
