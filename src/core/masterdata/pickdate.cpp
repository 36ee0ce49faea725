#include "core/masterdata/pickdate.h"

namespace hemu::PickDate {

QDate calendarOnShow(const QDate &calendar, const QDate &today)
{
    if (!calendar.isValid())
        return today;
    const QDate firstOfMonth(today.year(), calendar.month(), 1);
    return QDate(today.year(), calendar.month(), qMin(calendar.day(), firstOfMonth.daysInMonth()));
}

QString monthTitle(const QDate &today)
{
    return QStringLiteral("%1年%2月").arg(today.year()).arg(today.month());
}

QString dayTitle(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QStringLiteral("yyyy,MMMM,d,dddd"));
}

} // namespace hemu::PickDate
