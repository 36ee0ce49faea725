#include "core/backup/backuprotation.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace hemu::BackupRotation {

QList<bool> keep(const QList<QDateTime> &times, const QDateTime &now, int keepLast, int months)
{
    QList<bool> kept(times.size(), false);
    QList<qsizetype> order(times.size());
    std::iota(order.begin(), order.end(), 0);
    // Newest first; equal times keep their given order.
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return times[a] > times[b]; });
    for (qsizetype i = 0; i < order.size() && i < keepLast; ++i)
        kept[order[i]] = true;
    const auto monthIndex = [](const QDate &d) { return d.year() * 12 + d.month() - 1; };
    const int thisMonth = monthIndex(now.date());
    QHash<int, bool> monthTaken;
    for (qsizetype i : std::as_const(order)) {
        const int month = monthIndex(times[i].date());
        const int age = thisMonth - month;
        if (age >= months || monthTaken.value(month))
            continue;
        monthTaken.insert(month, true);
        kept[i] = true;
    }
    return kept;
}

} // namespace hemu::BackupRotation
