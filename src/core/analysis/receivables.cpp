#include "core/analysis/receivables.h"

#include "core/analysis/listcolumns.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"

#include <limits>

namespace hemu {

Receivables::Receivables(Database &db, QObject *parent)
    : QObject(parent)
{
    qSumDue = new QueryDataset(db, QStringLiteral("qSumDue"), sumDueSql(), this);
    qCustsDue = new QueryDataset(db, QStringLiteral("qCustsDue"), custsDueSql(), this);
    describeColumns(*qSumDue, {{"CustID", "客户码", nullptr}, {"CustName", "客户名称", nullptr}, {"smny", "总金额", DisplayFormats::DueTotal}});
    describeColumns(*qCustsDue, {{"CustID", "客户码", nullptr},
                                 {"CustName", "客户名称", nullptr},
                                 {"GoodID", "产品码", nullptr},
                                 {"Description", "品名型号", nullptr},
                                 {"Unit", "单位", nullptr},
                                 {"OnHand", "数量", DisplayFormats::Quantity},
                                 {"OnHandMny", "金额", DisplayFormats::DueMoney}});
    qCustsDue->fieldByName(QStringLiteral("CustID")).setVisible(false);
}

namespace {

// The customer stock is read through its customer index, customer by customer (the customers
// joined after it), so that the totals come out grouped and the lines in order as they are
// read, and a page stops reading when it is full.
QString totalsSql(const QString &where, const QString &tail)
{
    // The counters are NOT NULL, so the sums need no NULL handling.
    return QStringLiteral("SELECT g.CustID, c.CustName, sum(g.PrevOnHandMny + g.HandIncMny - g.SoldMny) AS smny "
                          "FROM GoodsInCusts g CROSS JOIN Customers c ON g.CustID = c.CustID %1"
                          "GROUP BY g.CustID "
                          "HAVING sum(g.PrevOnHandMny + g.HandIncMny - g.SoldMny) <> 0 "
                          "ORDER BY g.CustID%2")
        .arg(where, tail);
}

QString linesSql(const QString &condition, const QString &tail)
{
    return QStringLiteral("SELECT g.CustID, c.CustName, g.GoodID, d.Description, u.Unit, "
                          "g.PrevOnHand + g.HandInc - g.Sold AS OnHand, "
                          "g.PrevOnHandMny + g.HandIncMny - g.SoldMny AS OnHandMny "
                          "FROM GoodsInCusts g CROSS JOIN Customers c ON g.CustID = c.CustID "
                          "INNER JOIN Goods d ON g.GoodID = d.GoodID INNER JOIN Units u ON d.UnitID = u.UnitID "
                          "WHERE g.PrevOnHand + g.HandInc - g.Sold <> 0%1 "
                          "ORDER BY g.CustID, g.GoodID%2")
        .arg(condition, tail);
}

/// The value of `field` in the last row read, or one below every stored key before the first page.
QVariant after(const Dataset &ds, const QVariantList &last, const char *field)
{
    if (last.isEmpty())
        return std::numeric_limits<qint64>::min();
    return last.value(ds.fieldIndex(QString::fromLatin1(field)));
}

} // namespace

QString Receivables::sumDueSql()
{
    return totalsSql(QString(), QString());
}

QString Receivables::custsDueSql()
{
    return linesSql(QString(), QString());
}

QString Receivables::customerLinesSql()
{
    return linesSql(QStringLiteral(" AND g.CustID = :CustID"), QString());
}

void Receivables::readInPages(int linesPage, int totalsPage)
{
    m_pages = true;
    m_linesPage = linesPage;
    qSumDue->setSql(totalsSql(QStringLiteral("WHERE g.CustID > :AfterCust "), QStringLiteral(" LIMIT :PageSize")));
    qSumDue->setPagedRead(totalsPage, [](Dataset &ds, const QVariantList &last) {
        ds.setParam(QStringLiteral("AfterCust"), after(ds, last, "CustID"));
    });
}

DatasetError Receivables::showLines(const std::optional<qint64> &custId)
{
    if (qCustsDue->isOpen() && m_linesOf == custId)
        return {};
    qCustsDue->close();
    if (custId) {
        qCustsDue->setPagedRead(0, {});
        qCustsDue->setSql(customerLinesSql());
        qCustsDue->setParam(QStringLiteral("CustID"), *custId);
    } else if (m_pages) {
        qCustsDue->setSql(linesSql(QStringLiteral(" AND (g.CustID, g.GoodID) > (:AfterCust, :AfterGood)"),
                                   QStringLiteral(" LIMIT :PageSize")));
        qCustsDue->setPagedRead(m_linesPage, [](Dataset &ds, const QVariantList &last) {
            ds.setParam(QStringLiteral("AfterCust"), after(ds, last, "CustID"));
            ds.setParam(QStringLiteral("AfterGood"), after(ds, last, "GoodID"));
        });
    } else {
        qCustsDue->setSql(custsDueSql());
    }
    m_linesOf = custId;
    return qCustsDue->open();
}

QString Receivables::noReceivablesText()
{
    return QStringLiteral("客户无应收款。");
}

DatasetError Receivables::open()
{
    close();
    DatasetError e = qSumDue->open();
    if (e.ok())
        e = showLines(std::nullopt);
    return e;
}

void Receivables::close()
{
    qSumDue->close();
    qCustsDue->close();
}

DatasetError Receivables::filterDetails(bool on)
{
    if (!on)
        return showLines(std::nullopt);
    // The lines of the customer the totals are on, read for it (its index serves); none
    // when there is no customer.
    const QVariant custId = qSumDue->value(QStringLiteral("CustID"));
    return showLines(custId.isNull() ? 0 : custId.toLongLong());
}

bool Receivables::findCustomer(int custId)
{
    qSumDue->setFiltered(false);
    filterDetails(false);
    return qSumDue->locate(QStringLiteral("CustID"), custId);
}

} // namespace hemu
