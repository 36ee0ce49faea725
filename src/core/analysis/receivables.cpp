#include "core/analysis/receivables.h"

#include "core/analysis/listcolumns.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"

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

QString Receivables::sumDueSql()
{
    // The counters are NOT NULL, so the sums need no NULL handling.
    return QStringLiteral("SELECT g.CustID, c.CustName, sum(g.PrevOnHandMny + g.HandIncMny - g.SoldMny) AS smny "
                          "FROM GoodsInCusts g INNER JOIN Customers c ON g.CustID = c.CustID "
                          "GROUP BY g.CustID, c.CustName "
                          "HAVING sum(g.PrevOnHandMny + g.HandIncMny - g.SoldMny) <> 0 "
                          "ORDER BY g.CustID");
}

QString Receivables::custsDueSql()
{
    return QStringLiteral("SELECT g.CustID, c.CustName, g.GoodID, d.Description, u.Unit, "
                          "g.PrevOnHand + g.HandInc - g.Sold AS OnHand, "
                          "g.PrevOnHandMny + g.HandIncMny - g.SoldMny AS OnHandMny "
                          "FROM GoodsInCusts g INNER JOIN Customers c ON g.CustID = c.CustID "
                          "INNER JOIN Goods d ON g.GoodID = d.GoodID INNER JOIN Units u ON d.UnitID = u.UnitID "
                          "WHERE g.PrevOnHand + g.HandInc - g.Sold <> 0 "
                          "ORDER BY g.CustID, g.GoodID");
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
        e = qCustsDue->open();
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
        return qCustsDue->setFiltered(false);
    // The customer code is a number read from the list itself, not typed text.
    const qint64 custId = qSumDue->value(QStringLiteral("CustID")).toLongLong();
    DatasetError e = qCustsDue->setFilter(QStringLiteral("CustID=%1").arg(custId));
    if (e.ok())
        e = qCustsDue->setFiltered(true);
    return e;
}

bool Receivables::findCustomer(int custId)
{
    qSumDue->setFiltered(false);
    filterDetails(false);
    return qSumDue->locate(QStringLiteral("CustID"), custId);
}

} // namespace hemu
