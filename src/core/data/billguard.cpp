#include "core/data/billguard.h"

#include "core/bills/billvalues.h"
#include "core/bills/periodoperations.h"
#include "core/data/basedata.h"
#include "core/data/hookchain.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/dataset/field.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"
#include "core/prompter.h"

#include <sqlite3.h>

namespace hemu {

namespace {

/// True when the row of `table` with `column` = `id` exists; `id` must be a whole number.
/// Runs for every posted line: through the connection's kept statements.
bool onFile(Database &db, const char *table, const char *column, const QVariant &id)
{
    int key = 0;
    if (!BillValues::isId(id, &key))
        return false;
    SqlStatement st(db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(QLatin1String(table), QLatin1String(column)));
    return st.ok() && st.bind(1, key) && st.step() == SQLITE_ROW;
}

bool changed(Dataset &ds, const QString &field)
{
    return ds.state() == Dataset::State::Insert || ds.value(field) != ds.fieldByName(field).oldValue();
}

/// The date of the last carry-forward, or an invalid date when the books were never closed.
/// A bill dated on or before it belongs to a closed period.
bool inClosedPeriod(Database &db, const QVariant &tabDate, QDate *last)
{
    *last = PeriodOperations::lastCarryForward(db);
    const QDate date = BillValues::billDate(tabDate);
    return last->isValid() && date.isValid() && date <= *last;
}

class Checks
{
public:
    Checks(TabData &tab, BillKind kind)
        : m_tab(tab), m_kind(kind), m_db(tab.base().MyADOCnn()), m_prompter(tab.base().prompter())
    {
    }

    bool header(Dataset &h)
    {
        if (changed(h, QStringLiteral("TabDate"))) {
            const QVariant date = h.value(QStringLiteral("TabDate"));
            if (!BillValues::billDate(date).isValid())
                return refuse(BillValues::badDateText());
            QDate last;
            const bool wasClosed = h.state() == Dataset::State::Edit
                && inClosedPeriod(m_db, h.fieldByName(QStringLiteral("TabDate")).oldValue(), &last);
            if (wasClosed || inClosedPeriod(m_db, date, &last))
                return refuse(BillValues::closedPeriodText(last));
        }
        if (changed(h, QStringLiteral("CustID"))) {
            const QVariant party = h.value(QStringLiteral("CustID"));
            const bool found = m_kind == BillKind::StockIn ? onFile(m_db, "Vendors", "VendorID", party)
                                                           : onFile(m_db, "Customers", "CustID", party);
            if (!found)
                return refuse(BillGuard::partyMissingText(m_kind, party));
        }
        return true;
    }

    bool headerDelete(Dataset &h)
    {
        QDate last;
        if (!inClosedPeriod(m_db, h.value(QStringLiteral("TabDate")), &last))
            return true;
        const int lines = m_db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE TabID = ?").arg(detailTable(m_kind)),
                                      {h.value(QStringLiteral("TabID"))})
                              .toInt();
        return lines == 0 || refuse(BillValues::closedPeriodText(last));
    }

    bool line(Dataset &d)
    {
        if (!lineOfOpenPeriod())
            return false;
        if (changed(d, QStringLiteral("GoodID")) && !onFile(m_db, "Goods", "GoodID", d.value(QStringLiteral("GoodID"))))
            return refuse(BillGuard::goodsMissingText(d.value(QStringLiteral("GoodID"))));
        // The bill total the line's amount joins: without the line's own old amount on an edit.
        double total = m_tab.header(m_kind)->value(QStringLiteral("SumMoney")).toDouble();
        if (d.state() == Dataset::State::Edit)
            total -= nullAsZero(d.fieldByName(QStringLiteral("Qty")).oldValue()) * nullAsZero(d.fieldByName(QStringLiteral("Price")).oldValue());
        const QString refusal = BillValues::lineRefusal(d.value(QStringLiteral("Qty")), d.value(QStringLiteral("Price")), total);
        return refusal.isEmpty() || refuse(refusal);
    }

    bool lineDelete(Dataset &) { return m_tab.WholeBillDeleting || lineOfOpenPeriod(); }

private:
    bool lineOfOpenPeriod()
    {
        QDate last;
        if (!inClosedPeriod(m_db, m_tab.header(m_kind)->fieldByName(QStringLiteral("TabDate")).oldValue(), &last))
            return true;
        return refuse(BillValues::closedPeriodText(last));
    }

    bool refuse(const QString &text)
    {
        m_prompter.warning(text);
        return false;
    }

    TabData &m_tab;
    BillKind m_kind;
    Database &m_db;
    Prompter &m_prompter;
};

} // namespace

void BillGuard::install(TabData &tab, BillKind kind)
{
    auto checks = std::make_shared<Checks>(tab, kind);
    DatasetHooks &h = tab.header(kind)->hooks();
    DatasetHooks &d = tab.detail(kind)->hooks();
    guardFirst(h.beforePost, [checks](Dataset &ds) { return checks->header(ds); });
    guardFirst(h.beforeDelete, [checks](Dataset &ds) { return checks->headerDelete(ds); });
    guardFirst(d.beforePost, [checks](Dataset &ds) { return checks->line(ds); });
    guardFirst(d.beforeDelete, [checks](Dataset &ds) { return checks->lineDelete(ds); });
}

QString BillGuard::goodsMissingText(const QVariant &goodId)
{
    return QStringLiteral("商品代码不存在。商品编码") + goodId.toString();
}

QString BillGuard::partyMissingText(BillKind kind, const QVariant &partyId)
{
    if (partyId.isNull() || partyId.toLongLong() == 0)
        return QStringLiteral("请先填入供货方或收货方。");
    return (kind == BillKind::StockIn ? QStringLiteral("供货方代码不存在。供货方编码") : QStringLiteral("客户代码不存在。客户编码"))
        + partyId.toString();
}

} // namespace hemu
