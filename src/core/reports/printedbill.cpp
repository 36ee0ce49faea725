#include "core/reports/printedbill.h"

#include "core/db/database.h"
#include "core/format/datetext.h"

#include <QSqlError>
#include <QSqlQuery>

namespace hemu::reports {

QString PrintedBill::kindWord() const
{
    switch (kind) {
    case BillKind::StockIn:
        return QStringLiteral("入库单");
    case BillKind::Delivery:
        return QStringLiteral("送货单");
    case BillKind::Receipt:
        break;
    }
    return QStringLiteral("收款单");
}

QString PrintedBill::lineCounterpart() const
{
    switch (kind) {
    case BillKind::StockIn:
        return QStringLiteral("供货方:") + counterpart;
    case BillKind::Delivery:
        return QStringLiteral("收货方:") + counterpart;
    case BillKind::Receipt:
        break;
    }
    return QStringLiteral("缴款方:") + counterpart;
}

QString PrintedBill::pageCounterpart() const
{
    return (kind == BillKind::StockIn ? QStringLiteral("供货方:") : QStringLiteral("客户名:")) + counterpart;
}

QString printedBillDate(const QString &stored)
{
    const QString text = stored.trimmed();
    const QDateTime at = parseStoredDateTime(text);
    if (!at.isValid())
        return stored;
    // A stored time of day is anything after the date part ("2026-05-09 14:03").
    const bool hasTime = text.contains(QLatin1Char(':'));
    return hasTime ? shortDateText(at.date()) + QLatin1Char(' ') + timeText(at.time()) : shortDateText(at.date());
}

std::optional<PrintedBill> readPrintedBill(Database &db, BillKind kind, qint64 tabId, QString *error)
{
    const auto fail = [error](const QString &text) -> std::optional<PrintedBill> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    ReadTransaction snapshot(db);
    PrintedBill bill;
    bill.kind = kind;
    bill.tabId = tabId;
    const bool stockIn = kind == BillKind::StockIn;

    QSqlQuery q(db.sql());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT Name FROM UserInfo ORDER BY id LIMIT 1")))
        return fail(q.lastError().text());
    if (q.next())
        bill.company = q.value(0).toString();

    q.prepare(QStringLiteral("SELECT h.BookID, h.TabDate, h.Remark, h.SumMoney, p.%1 FROM %2 h LEFT JOIN %3 p ON p.%4 = h.CustID "
                             "WHERE h.TabID = :id")
                  .arg(stockIn ? QStringLiteral("VendorName") : QStringLiteral("CustName"), headerTable(kind),
                       stockIn ? QStringLiteral("Vendors") : QStringLiteral("Customers"),
                       stockIn ? QStringLiteral("VendorID") : QStringLiteral("CustID")));
    q.bindValue(QStringLiteral(":id"), tabId);
    if (!q.exec())
        return fail(q.lastError().text());
    if (!q.next())
        return fail(q.lastError().isValid() ? q.lastError().text()
                                            : QStringLiteral("没有单据 %1 (%2)。").arg(tabId).arg(headerTable(kind)));
    bill.bookId = q.value(0).toString();
    bill.tabDate = printedBillDate(q.value(1).toString());
    bill.remark = q.value(2).toString();
    bill.sumMoney = q.value(3).toDouble();
    bill.counterpart = q.value(4).toString();

    q.prepare(QStringLiteral("SELECT m.GoodID, g.Description, u.Unit, m.Qty, m.Price FROM %1 m "
                             "LEFT JOIN Goods g ON g.GoodID = m.GoodID LEFT JOIN Units u ON u.UnitID = g.UnitID "
                             "WHERE m.TabID = :id ORDER BY m.rowid")
                  .arg(detailTable(kind)));
    q.bindValue(QStringLiteral(":id"), tabId);
    if (!q.exec())
        return fail(q.lastError().text());
    while (q.next())
        bill.lines.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toDouble(),
                           q.value(4).toDouble()});
    // A scan that stops at a damaged page is an error, never a shorter bill.
    if (q.lastError().isValid())
        return fail(q.lastError().text());
    return bill;
}

qint64 newestBill(Database &db, BillKind kind)
{
    QSqlQuery q(db.sql());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT max(TabID) FROM %1").arg(headerTable(kind))) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

} // namespace hemu::reports
