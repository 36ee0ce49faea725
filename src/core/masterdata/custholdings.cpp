#include "core/masterdata/custholdings.h"

#include "core/analysis/receivables.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"
#include "core/masterdata/goodspick.h"

namespace hemu {

namespace {

void describe(Dataset &ds, const char *name, const char *caption, const char *format = nullptr)
{
    Field &f = ds.addDataField(QString::fromLatin1(name));
    f.setCaption(QString::fromUtf8(caption));
    if (format) {
        f.setDataType(DataType::Float);
        f.setDisplayFormat(QString::fromLatin1(format));
    }
}

DatasetError fillLine(Dataset &details, const Dataset &holdings)
{
    DatasetError e = details.setValue(QStringLiteral("GoodID"), holdings.value(QStringLiteral("GoodID")));
    if (e.ok())
        e = details.setValue(QStringLiteral("Qty"), holdings.value(QStringLiteral("qty")));
    if (e.ok())
        e = details.setValue(QStringLiteral("Price"), holdings.value(QStringLiteral("APrice")));
    return e;
}

} // namespace

CustHoldings::CustHoldings(Database &db, Lists lists, QObject *parent)
    : QObject(parent)
{
    if (lists == Lists::CustomersAndGoods) {
        qSumDue = new QueryDataset(db, QStringLiteral("qSumDue"), Receivables::sumDueSql(), this);
        describe(*qSumDue, "CustID", "客户码");
        describe(*qSumDue, "CustName", "客户名称");
        describe(*qSumDue, "smny", "总金额", DisplayFormats::DueTotal);
    }
    qCustHasGoods = new QueryDataset(db, QStringLiteral("qCustHasGoods"), goodsSql(lists), this);
    describe(*qCustHasGoods, "GoodID", "产品码");
    describe(*qCustHasGoods, "CustID", "客户码");
    if (lists == Lists::CustomersAndGoods)
        describe(*qCustHasGoods, "CustName", "客户名称");
    describe(*qCustHasGoods, "Description", "品名型号");
    describe(*qCustHasGoods, "qty", "数量", DisplayFormats::Counter);
    describe(*qCustHasGoods, "Mny", "金额", DisplayFormats::Counter);
    describe(*qCustHasGoods, "APrice", "均价", DisplayFormats::Counter);
    qCustHasGoods->fieldByName(QStringLiteral("CustID")).setVisible(false);
    if (Field *name = qCustHasGoods->findField(QStringLiteral("CustName")))
        name->setVisible(false);
    qCustHasGoods->setFieldOrder({QStringLiteral("GoodID"), QStringLiteral("Description"), QStringLiteral("qty"),
                                  QStringLiteral("APrice"), QStringLiteral("Mny")});
}

QString CustHoldings::goodsSql(Lists lists)
{
    // The counters are NOT NULL; a customer holding nothing of an item has no average.
    const QString qty = QStringLiteral("(g.PrevOnHand + g.HandInc - g.Sold)");
    const QString mny = QStringLiteral("(g.PrevOnHandMny + g.HandIncMny - g.SoldMny)");
    const bool names = lists == Lists::CustomersAndGoods;
    return QStringLiteral("SELECT g.GoodID, g.CustID%1, d.Description, %2 AS qty, %3 AS Mny, "
                          "CASE WHEN %2 <> 0 THEN %3 / %2 ELSE 0 END AS APrice "
                          "FROM GoodsInCusts g INNER JOIN Goods d ON g.GoodID = d.GoodID%4 "
                          "WHERE g.CustID = :CustID ORDER BY g.GoodID")
        .arg(names ? QStringLiteral(", c.CustName") : QString(), qty, mny,
             names ? QStringLiteral(" INNER JOIN Customers c ON g.CustID = c.CustID") : QString());
}

DatasetError CustHoldings::openCustomers()
{
    close();
    if (!qSumDue)
        return {};
    const DatasetError e = qSumDue->open();
    if (e.failed())
        return e;
    return followCustomer();
}

DatasetError CustHoldings::followCustomer()
{
    if (!qSumDue)
        return {};
    return showGoodsOf(qSumDue->currentRow() >= 0 ? qSumDue->value(QStringLiteral("CustID")) : QVariant(0));
}

DatasetError CustHoldings::showGoodsOf(const QVariant &custId)
{
    qCustHasGoods->disableControls();
    qCustHasGoods->close();
    qCustHasGoods->setParam(QStringLiteral("CustID"), custId.isNull() ? QVariant(0) : custId);
    const DatasetError e = qCustHasGoods->open();
    qCustHasGoods->enableControls();
    return e;
}

void CustHoldings::close()
{
    qCustHasGoods->close();
    if (qSumDue)
        qSumDue->close();
}

bool CustHoldings::nothingHeld(const Dataset &holdings)
{
    return holdings.currentRow() < 0 || holdings.value(QStringLiteral("qty")).toDouble() == 0;
}

DatasetError CustHoldings::appendLine(Dataset &details, const Dataset &holdings)
{
    if (holdings.currentRow() < 0)
        return {};
    const DatasetError e = details.append();
    return e.failed() ? e : fillLine(details, holdings);
}

DatasetError CustHoldings::pickIntoLine(Dataset &details, const Dataset &holdings)
{
    if (holdings.currentRow() < 0)
        return {};
    const DatasetError e = GoodsPick::editCurrentLine(details);
    return e.failed() ? e : fillLine(details, holdings);
}

QString CustHoldings::zeroQtyText()
{
    return QStringLiteral("数量为0，免选。");
}

} // namespace hemu
