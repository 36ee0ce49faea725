#include "core/analysis/stockchange.h"

#include "core/dataset/dataset.h"

namespace hemu::StockChange {

namespace {

QList<Column> columns(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QList<Column> out;
    for (const auto &[field, title] : list)
        out.append({QString::fromLatin1(field), QString::fromUtf8(title)});
    return out;
}

/// `filter` switched on, or filtering off when it is empty.
DatasetError setFilter(Dataset &ds, const QString &filter)
{
    if (filter.isEmpty())
        return ds.setFiltered(false);
    DatasetError e = ds.setFilter(filter);
    if (e.ok())
        e = ds.setFiltered(true);
    return e;
}

} // namespace

QList<Column> goodsColumns()
{
    return columns({{"CataID", "类别码"},
                    {"lkCataName", "类别"},
                    {"Description", "品名型号"},
                    {"GoodID", "商品码"},
                    {"lkUnit", "单位"},
                    {"PrevOnHand", "期初|数量"},
                    {"PrevOnHandMny", "期初|金额"},
                    {"HandInc", "本期入库|数量"},
                    {"HandIncMny", "本期入库|金额"},
                    {"CustHandInc", "本期出库|数量"},
                    {"CustHandIncMny", "本期出库|金额"},
                    {"OnHand", "累计库存|数量"},
                    {"OnHandMny", "累计库存|金额"},
                    {"PrevOnCustHand", "应收期初|数量"},
                    {"PrevOnCustHandMny", "应收期初|金额"},
                    {"Sold", "客户付款|数量"},
                    {"SoldMny", "客户付款|金额"},
                    {"OnCustHand", "累计应收|数量"},
                    {"OnCustHandMny", "累计应收|金额"},
                    {"HardOrder", "排序"}});
}

QList<Column> customerColumns()
{
    return columns({{"CustID", "客户|代码"},
                    {"lkCustName", "客户|名称"},
                    {"GoodID", "商品|代码"},
                    {"lkGoodName", "商品|品名型号"},
                    {"lkUnit", "单位"},
                    {"PrevOnHand", "期初应收|数量"},
                    {"PrevOnHandMny", "期初应收|金额"},
                    {"HandInc", "新增应收|数量"},
                    {"HandIncMny", "新增应收|金额"},
                    {"Sold", "本期收款|数量"},
                    {"SoldMny", "本期收款|金额"},
                    {"OnHand", "累计应收|数量"},
                    {"OnHandMny", "累计应收|金额"}});
}

DatasetError filterCategory(Dataset &goods, int cataId)
{
    // The code is a number picked from the list, never typed text.
    return setFilter(goods, cataId > 0 ? QStringLiteral("InUse=false and CataID = %1").arg(cataId) : QString());
}

DatasetError filterCustomer(Dataset &customerStock, int custId)
{
    return setFilter(customerStock, custId > 0 ? QStringLiteral("CustID = %1").arg(custId) : QString());
}

DatasetError filterGoodsOf(Dataset &customerStock, const Dataset &goods, bool on)
{
    if (!on)
        return customerStock.setFiltered(false);
    const qint64 goodId = goods.value(QStringLiteral("GoodID")).toLongLong();
    return setFilter(customerStock, QStringLiteral("GoodID=%1").arg(goodId));
}

QString printTitle()
{
    return QStringLiteral("库存变动表");
}

} // namespace hemu::StockChange
