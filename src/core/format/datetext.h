#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

namespace hemu {

/// A date as the program writes it into bill numbers: "2026-5-9".
QString billDateText(QDate date);
/// A date with two-digit month and day, the stored form of a date: "2026-05-09".
QString isoDateText(QDate date);
/// The stored form of a date with its time of day: "2026-05-09 14:03:07".
QString isoDateTimeText(const QDateTime &dateTime);

/// A date in the short format of the user's locale (Chinese formats where none is set up).
QString shortDateText(QDate date);
/// The date of a text in the short format shortDateText() writes, or in the stored form; an
/// invalid QDate for anything else.
QDate parseShortDate(QStringView text);
/// The time of day as the program shows it: "14:03:07".
QString timeText(QTime time);

/// The date of a stored text, "2026-05-09" or "2026-05-09 14:03:07" (one-digit month and
/// day, a 'T' before the time, a time without seconds and surrounding blanks are accepted
/// too). An invalid QDate for anything else, including impossible dates such as 2026-2-30.
QDate parseStoredDate(QStringView text);
/// The date and local time of a stored text as above; a date alone is midnight.
QDateTime parseStoredDateTime(QStringView text);

} // namespace hemu
