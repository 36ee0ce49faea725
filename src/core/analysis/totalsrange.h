#pragma once

#include <QDate>
#include <QString>

namespace hemu {

/**
 * The date range of the totals window: what it proposes when shown (from today and the last
 * carry-forward) and whether a typed range may be totalled. The range excludes its start day
 * and includes its end day; both are "yyyy-mm-dd" texts, compared as texts.
 */
namespace TotalsRange {

/// What the window shows when it opens.
struct Defaults
{
    QString begin;     ///< start date text
    QString end;       ///< end date text
    QString carryText; ///< "未曾结转" or "上次结转于:" and the date
};

/// The closing day of a month as the books keep it: the 28th of February, else the 30th.
QDate closingDay(int year, int month);

/// On `today`, with the last carry-forward on `lastCarryForward` (invalid, or 1899-12-30 and
/// earlier, when the books were never carried forward): the closing day of this month as
/// the end; the carry-forward day as the start (its bills were carried already), else the
/// closing day of the month before.
Defaults defaults(const QDate &today, const QDate &lastCarryForward);

enum class Verdict {
    Ok,
    BadDate,    ///< a text that is no date
    OutOfOrder, ///< the start text comes after the end text
};

/// Whether `begin` and `end` may be totalled. Both must read as dates; the order is that of
/// the texts, character by character, as the books compare their stored dates.
Verdict check(const QString &begin, const QString &end);

/// The warning for `verdict` (empty for Ok).
QString refusalText(Verdict verdict);

/// "异常：日期错."
QString badDateText();
/// "日期顺序错误，汇总取消。"
QString outOfOrderText();

} // namespace TotalsRange
} // namespace hemu
