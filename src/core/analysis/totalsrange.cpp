#include "core/analysis/totalsrange.h"

#include "core/bills/billvalues.h"
#include "core/format/datetext.h"

namespace hemu::TotalsRange {

QDate closingDay(int year, int month)
{
    return QDate(year, month, month == 2 ? 28 : 30);
}

Defaults defaults(const QDate &today, const QDate &lastCarryForward)
{
    Defaults d;
    d.end = isoDateText(closingDay(today.year(), today.month()));
    // An empty carry-forward date reads as day 0 of the calendar the books were first kept
    // with: 1899-12-30.
    const QString carried = lastCarryForward.isValid() ? isoDateText(lastCarryForward) : QString();
    if (carried.isEmpty() || carried <= QStringLiteral("1899-12-30")) {
        const QDate previous = today.addMonths(-1);
        d.begin = isoDateText(closingDay(previous.year(), previous.month()));
        d.carryText = QStringLiteral("未曾结转");
    } else {
        d.begin = carried;
        d.carryText = QStringLiteral("上次结转于:") + carried;
    }
    return d;
}

Verdict check(const QString &begin, const QString &end)
{
    if (!parseStoredDate(begin).isValid() || !parseStoredDate(end).isValid())
        return Verdict::BadDate;
    // As texts: "2026-3-1" comes after "2026-03-30".
    if (QString::compare(begin, end, Qt::CaseSensitive) > 0)
        return Verdict::OutOfOrder;
    return Verdict::Ok;
}

QString refusalText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok: return {};
    case Verdict::BadDate: return badDateText();
    case Verdict::OutOfOrder: return outOfOrderText();
    }
    return {};
}

QString badDateText()
{
    // The recalculation refuses a bound with the same words.
    return BillValues::badDateText();
}

QString outOfOrderText()
{
    return QStringLiteral("日期顺序错误，汇总取消。");
}

} // namespace hemu::TotalsRange
