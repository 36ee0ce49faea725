#include "core/analysis/goodsflow.h"

#include "core/dataset/dataset.h"

#include <limits>

namespace hemu {

namespace {
// Zero shows nothing in this list.
constexpr char kFigure[] = "0.00;'-'0.00;#";

struct Column
{
    const char *name;
    const char *caption;
    bool figure;
};

constexpr Column kColumns[] = {
    {"CustID", "客户码", false},
    {"lkCust", "客户", false},
    {"CataID", "类别码", false},
    {"lkCata", "类别", false},
    {"GoodID", "货码", false},
    {"lkGood", "品名型号", false},
    {"lkUnit", "单位", false},
    {"PrevOnHand", "期初|数量", true},
    {"PrevOnHandMny", "期初|金额", true},
    {"HandInc", "入库|数量", true},
    {"HandIncMny", "入库|金额", true},
    {"sold", "出库|数量", true},
    {"soldmny", "出库|金额", true},
    {"OnHand", "库存|数量", true},
    {"OnHandMny", "库存|金额", true},
};
} // namespace

GoodsFlow::GoodsFlow(Database &db, QObject *parent)
    : QObject(parent)
{
    Qry = new QueryDataset(db, QStringLiteral("Qry"), sql(), this);
    for (const Column &c : kColumns) {
        Field &f = Qry->addDataField(QString::fromLatin1(c.name));
        f.setCaption(QString::fromUtf8(c.caption));
        if (c.figure) {
            f.setDataType(DataType::Float);
            f.setDisplayFormat(QString::fromLatin1(kFigure));
        }
    }
    for (const char *hidden : {"UnitID", "Store"})
        Qry->addDataField(QString::fromLatin1(hidden)).setVisible(false);
    Qry->fieldByName(QStringLiteral("Store")).setDataType(DataType::Integer);
}

namespace {

// `storeCondition` and `customerCondition` narrow the two kinds of line, `tail` follows the
// order. Each kind is read in the list's order through an index (goods by code, customer
// stock by goods item and customer) and the two merged, so a page stops reading when full.
QString flowSql(const QString &storeCondition, const QString &customerCondition, const QString &tail)
{
    // Every counter is NOT NULL. A main-store line carries the goods row's store code (0 for
    // the main store) and no customer name; the explicit Store column tells the two kinds of
    // line apart whatever that code holds. A customer line takes category and unit from
    // its goods item; lines of goods no longer on file are left out.
    return QStringLiteral(
        "SELECT coalesce(d.CustID, 0) AS CustID, NULL AS lkCust, d.CataID, c.Catalog AS lkCata, d.GoodID, "
        "d.Description AS lkGood, d.UnitID, u.Unit AS lkUnit, "
        "d.PrevOnHand, d.PrevOnHandMny, d.HandInc, d.HandIncMny, d.CustHandInc AS sold, d.CustHandIncMny AS soldmny, "
        "d.PrevOnHand + d.HandInc - d.CustHandInc AS OnHand, d.PrevOnHandMny + d.HandIncMny - d.CustHandIncMny AS OnHandMny, "
        "1 AS Store "
        "FROM Goods d LEFT JOIN Catalogs c ON c.CataID = d.CataID LEFT JOIN Units u ON u.UnitID = d.UnitID "
        "WHERE NOT (d.PrevOnHand = 0 AND d.PrevOnHandMny = 0 AND d.HandInc = 0 AND d.HandIncMny = 0 "
        "AND d.CustHandInc = 0 AND d.CustHandIncMny = 0)%1 "
        "UNION ALL "
        "SELECT g.CustID, k.CustName, d.CataID, c.Catalog, g.GoodID, d.Description, d.UnitID, u.Unit, "
        "g.PrevOnHand, g.PrevOnHandMny, g.HandInc, g.HandIncMny, g.Sold, g.SoldMny, "
        "g.PrevOnHand + g.HandInc - g.Sold, g.PrevOnHandMny + g.HandIncMny - g.SoldMny, 0 "
        "FROM GoodsInCusts g INNER JOIN Goods d ON d.GoodID = g.GoodID "
        "LEFT JOIN Customers k ON k.CustID = g.CustID LEFT JOIN Catalogs c ON c.CataID = d.CataID "
        "LEFT JOIN Units u ON u.UnitID = d.UnitID "
        "WHERE NOT (g.PrevOnHand = 0 AND g.PrevOnHandMny = 0 AND g.HandInc = 0 AND g.HandIncMny = 0 "
        "AND g.Sold = 0 AND g.SoldMny = 0)%2 "
        "ORDER BY 5, 17 DESC, 1%3")
        .arg(storeCondition, customerCondition, tail);
}

} // namespace

QString GoodsFlow::sql()
{
    return flowSql(QString(), QString(), QString());
}

void GoodsFlow::readInPages(int pageSize)
{
    // After a goods item's main-store line come its customer lines; after a customer line,
    // the item's customers with higher codes.
    Qry->setSql(flowSql(QStringLiteral(" AND d.GoodID > :AfterGood"),
                        QStringLiteral(" AND (g.GoodID, g.CustID) > (:AfterGood, :AfterCust)"), QStringLiteral(" LIMIT :PageSize")));
    Qry->setPagedRead(pageSize, [](Dataset &ds, const QVariantList &last) {
        const QVariant beforeAll = std::numeric_limits<qint64>::min();
        QVariant good = beforeAll, cust = beforeAll;
        if (!last.isEmpty()) {
            good = last.value(ds.fieldIndex(QStringLiteral("GoodID")));
            if (last.value(ds.fieldIndex(QStringLiteral("Store"))).toInt() != 1)
                cust = last.value(ds.fieldIndex(QStringLiteral("CustID")));
        }
        ds.setParam(QStringLiteral("AfterGood"), good);
        ds.setParam(QStringLiteral("AfterCust"), cust);
    });
}

QStringList GoodsFlow::shownFields()
{
    QStringList names;
    for (const Column &c : kColumns)
        names << QString::fromLatin1(c.name);
    return names;
}

DatasetError GoodsFlow::open()
{
    close();
    return Qry->open();
}

void GoodsFlow::close()
{
    Qry->close();
}

bool GoodsFlow::isStoreLine(int row) const
{
    return Qry->value(row, Qry->fieldIndex(QStringLiteral("Store"))).toInt() == 1;
}

bool GoodsFlow::findGoods(qint64 goodId)
{
    Qry->setFiltered(false);
    if (Qry->pageSize() == 0)
        return Qry->locate(QStringLiteral("GoodID"), goodId);
    // The list is in goods order: read on only as far as the item, and stop at its first line.
    const int good = Qry->fieldIndex(QStringLiteral("GoodID"));
    for (int row = 0;; ++row) {
        if (row >= Qry->rowCount()) {
            if (!Qry->canFetchMore() || Qry->fetchMore().failed() || row >= Qry->rowCount())
                return false;
        }
        const QVariant code = Qry->value(row, good);
        if (code.typeId() == QMetaType::LongLong && code.toLongLong() == goodId)
            return Qry->setCurrentRow(row);
        if (code.typeId() == QMetaType::LongLong && code.toLongLong() > goodId)
            return false;
    }
}

DatasetError GoodsFlow::filterCategory(qint64 cataId)
{
    // The category code comes from the picker's list, never from typed text.
    DatasetError e = Qry->setFilter(QStringLiteral("CataID = %1").arg(cataId));
    if (e.ok())
        e = Qry->setFiltered(true);
    return e;
}

DatasetError GoodsFlow::setFiltered(bool on)
{
    return Qry->setFiltered(on);
}

QString GoodsFlow::foundText()
{
    return QStringLiteral("查找完毕，找到。");
}

QString GoodsFlow::notFoundText()
{
    return QStringLiteral("查找完毕，没有。");
}

QString GoodsFlow::printTitle()
{
    return QStringLiteral("库存变动表");
}

} // namespace hemu
