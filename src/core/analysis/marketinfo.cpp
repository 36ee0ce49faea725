#include "core/analysis/marketinfo.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/format/datetext.h"

#include <algorithm>

namespace hemu {

namespace {
constexpr char kPrice[] = "0.00;'-'0.00;#.##";
} // namespace

MarketInfo::MarketInfo(BaseData &base, QObject *parent)
    : QObject(parent)
    , m_base(base)
{
    Database &db = base.MyADOCnn();
    Cata = new TableDataset(db, QStringLiteral("Cata"), QStringLiteral("Catalogs"), this);
    Cata->addDataField(QStringLiteral("CataID")).setCaption(QStringLiteral("类别码"));
    Cata->addDataField(QStringLiteral("Catalog")).setCaption(QStringLiteral("类别"));
    Cata->setReadOnly(true);

    Goods = new TableDataset(db, QStringLiteral("Goods"), QStringLiteral("Goods"), this);
    Goods->addDataField(QStringLiteral("CataID")).setCaption(QStringLiteral("类别码"));
    Goods->addDataField(QStringLiteral("GoodID")).setCaption(QStringLiteral("商品码"));
    Goods->addDataField(QStringLiteral("Description")).setCaption(QStringLiteral("品名型号"));
    Goods->addDataField(QStringLiteral("UnitID")).setVisible(false);
    Goods->addLookupField(QStringLiteral("lkUnit"), base.Units, QStringLiteral("UnitID"), QStringLiteral("Unit"),
                          QStringLiteral("UnitID"))
        .setCaption(QStringLiteral("单位"));
    Goods->addDataField(QStringLiteral("CostPrice")).setCaption(QStringLiteral("最近购入价"));
    Goods->addLookupField(QStringLiteral("AvgCostPrice"), base.GoodAvgPrice, QStringLiteral("GoodID"),
                          QStringLiteral("CostAvgPrice"), QStringLiteral("GoodID"))
        .setCaption(QStringLiteral("三次滑动购入均价"));
    Goods->addDataField(QStringLiteral("SellPrice")).setCaption(QStringLiteral("最近销售价"));
    Goods->addLookupField(QStringLiteral("AvgSellPrice"), base.GoodAvgPrice, QStringLiteral("GoodID"),
                          QStringLiteral("SellAvgPrice"), QStringLiteral("GoodID"))
        .setCaption(QStringLiteral("三次滑动销售均价"));
    base.marks().addSearchMark(*Goods);
    Goods->fieldByName(QStringLiteral("flag")).setVisible(false);
    for (const char *price : {"CostPrice", "AvgCostPrice", "SellPrice", "AvgSellPrice"}) {
        Field &f = Goods->fieldByName(QString::fromLatin1(price));
        f.setDataType(DataType::Float);
        f.setDisplayFormat(QString::fromLatin1(kPrice));
    }
    Goods->setReadOnly(true);
    Goods->addOpenDependency(Cata);

    queryPrice = new QueryDataset(db, QStringLiteral("queryPrice"), priceSql(), this);
    qTotalMoney = new QueryDataset(db, QStringLiteral("qTotalMoney"), totalMoneySql(), this);
    const struct
    {
        Dataset *dates;
        const char *field;
        const char *caption;
        bool figure;
    } dateFields[] = {{queryPrice, "TabDate", "日期", false},      {queryPrice, "GoodID", "商品码", false},
                      {queryPrice, "aPrice", "价格", true},        {queryPrice, "sQty", "采购数量", true},
                      {queryPrice, "sMny", "单项采购金额", true},  {qTotalMoney, "TabDate", "日期", false},
                      {qTotalMoney, "smoney", "采购金额", true}};
    for (const auto &d : dateFields) {
        Field &f = d.dates->addDataField(QString::fromLatin1(d.field));
        f.setCaption(QString::fromUtf8(d.caption));
        if (d.figure) {
            f.setDataType(DataType::Float);
            f.setDisplayFormat(valueFormat());
        }
    }
}

MarketInfo::~MarketInfo()
{
    // The goods view looks up in the module's datasets: it goes before they might.
    close();
}

QString MarketInfo::priceSql()
{
    return QStringLiteral("SELECT h.TabDate, m.GoodID, avg(m.Price) AS aPrice, sum(m.Qty) AS sQty, sum(m.Price * m.Qty) AS sMny "
                          "FROM RuKuDan h INNER JOIN RuKuMx m ON h.TabID = m.TabID "
                          "WHERE m.GoodID = :GoodID "
                          "GROUP BY h.TabDate, m.GoodID "
                          "ORDER BY h.TabDate");
}

QString MarketInfo::totalMoneySql()
{
    return QStringLiteral("SELECT h.TabDate, sum(m.Qty * m.Price) AS smoney "
                          "FROM RuKuDan h INNER JOIN RuKuMx m ON h.TabID = m.TabID "
                          "GROUP BY h.TabDate "
                          "ORDER BY h.TabDate");
}

DatasetError MarketInfo::open()
{
    DatasetError e = Goods->open();
    if (e.ok()) {
        qTotalMoney->close();
        e = qTotalMoney->open();
    }
    if (e.ok())
        e = readItem();
    return e;
}

void MarketInfo::close()
{
    queryPrice->close();
    qTotalMoney->close();
    Goods->close();
    Cata->close();
}

DatasetError MarketInfo::readItem()
{
    return readItem(Goods->isOpen() && Goods->currentRow() >= 0 ? Goods->value(QStringLiteral("GoodID")) : QVariant());
}

DatasetError MarketInfo::readItem(const QVariant &goodId)
{
    queryPrice->close();
    queryPrice->setParam(QStringLiteral("GoodID"), goodId);
    return queryPrice->open();
}

bool MarketInfo::search(int kind, const QString &text, QString *error)
{
    return m_base.FilterGoods(kind, text, *Goods, error);
}

QList<MarketInfo::Point> MarketInfo::series(Dataset &dates, const QString &field)
{
    QList<Point> points;
    if (!dates.isOpen())
        return points;
    const int dateIndex = dates.fieldIndex(QStringLiteral("TabDate"));
    const int valueIndex = dates.fieldIndex(field);
    for (int row = 0; row < dates.rowCount(); ++row) {
        // A bill without a readable date has no place on a date axis.
        const QDate date = parseStoredDate(dates.value(row, dateIndex).toString());
        if (date.isValid())
            points.append({date, dates.value(row, valueIndex).toDouble()});
    }
    std::stable_sort(points.begin(), points.end(), [](const Point &a, const Point &b) { return a.date < b.date; });
    return points;
}

QString MarketInfo::priceTitle() const
{
    const QString name = Goods->isOpen() && Goods->currentRow() >= 0 ? Goods->value(QStringLiteral("Description")).toString() : QString();
    return name + QStringLiteral(" 市场行情");
}

QString MarketInfo::quantityTitle() const
{
    const QString name = Goods->isOpen() && Goods->currentRow() >= 0 ? Goods->value(QStringLiteral("Description")).toString() : QString();
    return name + QStringLiteral(" 购入数量");
}

QString MarketInfo::failedText()
{
    return QStringLiteral("异常：query");
}

QString MarketInfo::valueFormat()
{
    return QStringLiteral("#,##0.##");
}

} // namespace hemu
