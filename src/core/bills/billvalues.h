#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace hemu {

/**
 * The values a bill may hold. A quantity or price is a number whose single-precision form is
 * finite (posting and the bill total narrow to single precision: an infinite value could
 * never be reversed again); an id is a whole number that fits the 32-bit key columns; a bill
 * date is a calendar date in the stored form. The bill rules and hemu-cli's reading of its
 * input both ask here, so a value refused in one is refused in the other.
 */
class BillValues
{
public:
    /// A number: an integer or a floating value, never a text, a truth value or a list.
    static bool isNumber(const QVariant &value);
    /// A whole number that fits a 32-bit key; `id` receives it.
    static bool isId(const QVariant &value, int *id = nullptr);
    /// True when `value` narrowed to single precision is a finite number.
    static bool fitsSingle(double value);
    /// Empty when a line of `qty` × `price` (an empty value counts as 0) can be posted and
    /// added to a bill total of `billTotal`; otherwise the refusal the user is shown.
    static QString lineRefusal(const QVariant &qty, const QVariant &price, double billTotal = 0);

    /// The date of a stored bill date ("2026-05-09", a time of day may follow); an invalid
    /// QDate for an empty text, a text that is no calendar date, or a year outside 1000..9999
    /// (dates are compared as texts, which holds only for four-digit years).
    static QDate billDate(const QVariant &value);

    /// The date of a range bound of the recalculation: exactly "yyyy-MM-dd" and a calendar
    /// date (the bound is compared with the stored dates as a text).
    static QDate rangeDate(const QString &text);

    static QString notANumberText(const QString &what);
    static QString notAnIdText(const QString &what);
    static QString tooLargeText();
    static QString badDateText();
    /// A bill dated on or before the last carry-forward `last` belongs to a closed period.
    static QString closedPeriodText(QDate last);
};

} // namespace hemu
