#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace hemu::PickDate {

/// Where the date picker's calendar stands when it is shown on `today`: the month and day it
/// stood on, in the current year. A 29 February carried into a year without one becomes the
/// 28th.
QDate calendarOnShow(const QDate &calendar, const QDate &today);

/// The title while the calendar has not been moved: "2004年5月".
QString monthTitle(const QDate &today);

/// The title after the calendar moved to `date`: "2004,五月,9,星期日" in `locale`'s words.
QString dayTitle(const QDate &date, const QLocale &locale);

} // namespace hemu::PickDate
