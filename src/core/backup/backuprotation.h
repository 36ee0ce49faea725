#pragma once

#include <QDateTime>
#include <QList>

namespace hemu {

/**
 * Which automatic backups stay: the newest few, and one for each of the last months, so that
 * a mistake noticed weeks later can still be undone while the folder does not grow forever.
 */
namespace BackupRotation {

/// How many of the newest backups stay, unless the set says otherwise.
inline constexpr int DefaultKeepLast = 20;
/// How many calendar months (this one included) keep their newest backup.
inline constexpr int MonthsKept = 12;

/// For each of `times` (when each backup was taken, in any order), whether it stays at `now`:
/// one of the `keepLast` newest, or the newest of its calendar month within the last
/// `months` months. Backups dated after `now` (a clock set back) count as the newest.
QList<bool> keep(const QList<QDateTime> &times, const QDateTime &now, int keepLast = DefaultKeepLast,
                 int months = MonthsKept);

} // namespace BackupRotation
} // namespace hemu
