#include "core/reports/stockreports.h"

#include "core/db/database.h"
#include "core/reports/reportitems.h"
#include "core/reports/sqlrecordsource.h"

#include <QSqlError>
#include <QSqlQuery>

#include <array>

namespace hemu::reports {

namespace {

using namespace items;

const QString kBook = QStringLiteral("账面库存变动表");
const QString kPhysical = QStringLiteral("实物盘存表");
const QString kMain = QStringLiteral("主库库存变动表");
const QString kList = QStringLiteral("产品与库存列表");

const QString kSigned = QStringLiteral("0.##;-0.##;#.##");
const QString kQuantity = QStringLiteral("0.0#");

Band groupHeader(Expression name, const FontSpec &font, double indent = 1)
{
    Band band;
    band.height = font.lineHeight();
    band.items << text(indent, 100, std::move(name), font);
    return band;
}

// ---- 账面库存变动表 and 主库库存变动表 --------------------------------------------------

/// The columns both movement statements share: name 38 mm, unit 8.5 mm, then four groups of
/// 35 mm, each a quantity of 15 mm and an amount of 20 mm.
namespace movement {
constexpr double kName = 38;
constexpr double kUnit = 8.5;
constexpr double kGroup = 35;
constexpr double kQty = 15;
constexpr double kFirstGroup = kName + kUnit;
double groupX(int g)
{
    return kFirstGroup + g * kGroup;
}
} // namespace movement

/// The eight figures of a movement statement: per group a quantity and an amount.
struct MovementFigures
{
    std::array<Expression, 4> quantity;
    std::array<Expression, 4> amount;
};

ReportDefinition movementReport(const QString &title, const MovementFigures &figures)
{
    using namespace movement;
    const FontSpec small = song(9);
    ReportDefinition def;
    def.title = title;
    def.page = PageSetup::a4Portrait();
    def.page.marginTop = 15;
    def.page.marginBottom = 15;
    def.font = small;
    def.printIfEmpty = false;
    def.groupExpression = field(QStringLiteral("CataID"));

    const double fullWidth = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;
    Band header;
    header.height = hei(14).lineHeight() + small.lineHeight() + 1;
    header.items << label(0, 0, fullWidth, title, hei(14), Align::Center)
                 << variable(0, hei(14).lineHeight(), fullWidth / 2, QStringLiteral("Stamp"), small, Align::Left)
                 << variable(fullWidth / 2, hei(14).lineHeight(), fullWidth / 2, QStringLiteral("Date"), small, Align::Right);
    def.pageHeader = header;

    const FontSpec caption = song(11);
    const double row = caption.lineHeight();
    Band columns;
    columns.height = 2 * row;
    columns.frame = BandFrame::box();
    columns.items << label(0, row / 2, kName, QStringLiteral("品名型号"), caption, Align::Center)
                  << label(kName, row / 2, kUnit, QStringLiteral("单位"), caption, Align::Center)
                  << divider(kName) << divider(kFirstGroup);
    const QStringList groups{QStringLiteral("期初"), QStringLiteral("本期购进"), QStringLiteral("本期出库"),
                             QStringLiteral("期末结存")};
    for (int g = 0; g < 4; ++g) {
        const double x = groupX(g);
        columns.items << label(x, 0, kGroup, groups.at(g), caption, Align::Center)
                      << line(x + 2, row - 0.3, x + kGroup - 2, row - 0.3)
                      << label(x, row, kQty, QStringLiteral("数量"), caption, Align::Center)
                      << label(x + kQty, row, kGroup - kQty, QStringLiteral("金额"), caption, Align::Center)
                      << line(x + kQty, row, x + kQty, 2 * row);
        if (g > 0)
            columns.items << divider(x);
    }
    def.columnHeader = columns;

    Band group = groupHeader(
        [](const Record &r) { return QVariant(r.value(QStringLiteral("lkCataName")).toString() + QStringLiteral("类")); },
        hei(9));
    group.frame = BandFrame::box();
    def.groupHeader = group;

    Band detail;
    detail.height = small.lineHeight();
    detail.frame.left = detail.frame.right = true;
    detail.items << text(0.5, kName - 1, field(QStringLiteral("Description")), small, Align::Left, true)
                 << text(kName, kUnit, field(QStringLiteral("lkUnit")), small, Align::Center);
    Band footer;
    footer.height = small.lineHeight();
    footer.frame = BandFrame::box();
    footer.items << label(0.5, 0, kFirstGroup, QStringLiteral("类别合计："), small);
    Band summary;
    summary.height = small.lineHeight();
    summary.frame = BandFrame::box();
    summary.items << label(0.5, 0, kFirstGroup, QStringLiteral("总计金额："), small);
    for (int g = 0; g < 4; ++g) {
        const double x = groupX(g);
        detail.items << value(x, kQty - 0.5, figures.quantity[g], small, kSigned)
                     << value(x + kQty, kGroup - kQty - 0.5, figures.amount[g], small, kSigned);
        footer.items << sum(x, kQty - 0.5, figures.quantity[g], small, kSigned)
                     << sum(x + kQty, kGroup - kQty - 0.5, figures.amount[g], small, kSigned);
        summary.items << sum(x, kGroup - 0.5, figures.amount[g], small, kSigned);
    }
    def.detail = detail;
    def.groupFooter = footer;
    def.summary = summary;
    def.pageFooter = pageFooter(QStringLiteral("页"), small, fullWidth);
    return def;
}

ReportDefinition bookStock()
{
    const QStringList openQty{QStringLiteral("PrevOnHand"), QStringLiteral("PrevOnCustHand")};
    const QStringList openMny{QStringLiteral("PrevOnHandMny"), QStringLiteral("PrevOnCustHandMny")};
    MovementFigures f;
    f.quantity = {sumOf(openQty), field(QStringLiteral("HandInc")), field(QStringLiteral("Sold")),
                  sumOf(openQty + QStringList{QStringLiteral("HandInc")}, {QStringLiteral("Sold")})};
    f.amount = {sumOf(openMny), field(QStringLiteral("HandIncMny")), field(QStringLiteral("SoldMny")),
                sumOf(openMny + QStringList{QStringLiteral("HandIncMny")}, {QStringLiteral("SoldMny")})};
    return movementReport(kBook, f);
}

ReportDefinition mainStore()
{
    MovementFigures f;
    f.quantity = {field(QStringLiteral("PrevOnHand")), field(QStringLiteral("HandInc")), field(QStringLiteral("CustHandInc")),
                  sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")}, {QStringLiteral("CustHandInc")})};
    f.amount = {field(QStringLiteral("PrevOnHandMny")), field(QStringLiteral("HandIncMny")),
                field(QStringLiteral("CustHandIncMny")),
                sumOf({QStringLiteral("PrevOnHandMny"), QStringLiteral("HandIncMny")}, {QStringLiteral("CustHandIncMny")})};
    return movementReport(kMain, f);
}

// ---- 实物盘存表 ------------------------------------------------------------------------

/// The customer stock rows of every goods item, read with one query and grouped by item in
/// stored order: the physical stock statement's customer lines.
class CustomerRows
{
public:
    struct Row
    {
        QVariant custName;
        QVariant prevOnHand;
        QVariant handInc;
        QVariant sold;
    };

    static std::shared_ptr<CustomerRows> read(Database &db)
    {
        auto rows = std::make_shared<CustomerRows>();
        QSqlQuery q(db.sql());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral(
                "SELECT gc.GoodID, cu.CustName, gc.PrevOnHand, gc.HandInc, gc.Sold FROM GoodsInCusts gc "
                "LEFT JOIN Customers cu ON cu.CustID = gc.CustID "
                "WHERE NOT (coalesce(gc.HandInc, 0) = 0 AND coalesce(gc.HandIncMny, 0) = 0 "
                "AND coalesce(gc.PrevOnHand, 0) = 0 AND coalesce(gc.PrevOnHandMny, 0) = 0 "
                "AND coalesce(gc.Sold, 0) = 0 AND coalesce(gc.SoldMny, 0) = 0) ORDER BY gc.rowid"))) {
            rows->m_error = q.lastError().text();
            return rows;
        }
        while (q.next())
            rows->m_byGoods[q.value(0).toLongLong()].append(Row{q.value(1), q.value(2), q.value(3), q.value(4)});
        if (q.lastError().isValid())
            rows->m_error = q.lastError().text();
        return rows;
    }

    /// The rows of one goods item, in stored order.
    std::unique_ptr<RecordSource> of(qint64 goodId) const
    {
        return std::make_unique<Source>(m_byGoods.value(goodId), m_error);
    }

private:
    class Source : public RecordSource, private Record
    {
    public:
        Source(QList<Row> rows, QString error)
            : m_rows(std::move(rows))
            , m_error(std::move(error))
        {
        }
        bool next() override { return ++m_at < m_rows.size(); }
        const Record &record() const override { return *this; }
        QString error() const override { return m_error; }

    private:
        QVariant value(const QString &name) const override
        {
            const Row &row = m_rows.at(m_at);
            if (name == QLatin1String("lkCustName"))
                return row.custName;
            if (name == QLatin1String("PrevOnHand"))
                return row.prevOnHand;
            if (name == QLatin1String("HandInc"))
                return row.handInc;
            if (name == QLatin1String("Sold"))
                return row.sold;
            return {};
        }

        QList<Row> m_rows;
        QString m_error;
        qsizetype m_at = -1;
    };

    QHash<qint64, QList<Row>> m_byGoods;
    QString m_error;
};


ReportDefinition physicalStock(Database &db)
{
    const FontSpec font = song(11);
    const double row = font.lineHeight();
    ReportDefinition def;
    def.title = kPhysical;
    def.page = PageSetup::a4Portrait();
    def.page.marginLeft = def.page.marginTop = def.page.marginRight = def.page.marginBottom = 20;
    def.font = font;
    def.printIfEmpty = true;
    def.groupExpression = field(QStringLiteral("CataID"));
    const double fullWidth = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;

    constexpr double kName = 56, kUnit = 8.5, kCol = 16.7;
    constexpr double kUnitX = kName, kOpenX = kUnitX + kUnit, kBlockX = kOpenX + kCol, kBlock = 86;
    const auto colX = [&](int c) { return kBlockX + c * kCol; }; // 入库, 出库, 结存=, 主库, + 客户

    // The date and the prepared-by text sit under the title's ends: beside a centred title the
    // long prepared-by text would run into it.
    Band header;
    header.height = hei(14).lineHeight() + font.lineHeight() + 1;
    header.items << label(0, 0, fullWidth, kPhysical, hei(14), Align::Center)
                 << variable(0, hei(14).lineHeight(), 60, QStringLiteral("Date"), song(10), Align::Left)
                 << variable(fullWidth - 110, hei(14).lineHeight(), 110, QStringLiteral("Stamp"), font, Align::Right);
    def.pageHeader = header;

    Band columns;
    columns.height = 2 * row;
    columns.frame.top = columns.frame.bottom = true;
    columns.items << label(0, row / 2, kName, QStringLiteral("类别     品名型号    客户"), font)
                  << label(kUnitX, row / 2, kUnit, QStringLiteral("单位"), font, Align::Center)
                  << label(kOpenX, row / 2, kCol, QStringLiteral("期初数"), font, Align::Right)
                  << label(kBlockX, 0, kBlock, QStringLiteral("数量"), font, Align::Center)
                  << line(kBlockX + 2, row - 0.3, kBlockX + kBlock - 2, row - 0.3);
    const QStringList captions{QStringLiteral("入库"), QStringLiteral("出库"), QStringLiteral("结存="), QStringLiteral("主库"),
                               QStringLiteral("+ 客户")};
    for (int c = 0; c < 5; ++c)
        columns.items << label(colX(c), row, kCol, captions.at(c), font, Align::Right);
    def.columnHeader = columns;

    Band group = groupHeader(field(QStringLiteral("lkCataName")), font, 0);
    group.frame.top = group.frame.bottom = true;
    def.groupHeader = group;

    const Expression closing = sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("PrevOnCustHand"), QStringLiteral("HandInc")},
                                     {QStringLiteral("Sold")});
    const Expression mainStore = sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")}, {QStringLiteral("CustHandInc")});
    const Expression atCustomers = sumOf({QStringLiteral("PrevOnCustHand"), QStringLiteral("CustHandInc")}, {QStringLiteral("Sold")});
    const QList<Expression> goodsFigures{field(QStringLiteral("HandInc")), field(QStringLiteral("Sold")), closing, mainStore,
                                         atCustomers};

    Band detail;
    detail.height = row;
    detail.items << text(10, kName - 10, field(QStringLiteral("Description")), font, Align::Left, true)
                 << text(kUnitX, kUnit, field(QStringLiteral("lkUnit")), font, Align::Center)
                 << value(kOpenX, kCol, field(QStringLiteral("PrevOnHand")), font, kQuantity);
    for (int c = 0; c < 5; ++c)
        detail.items << value(colX(c), kCol, goodsFigures.at(c), font, kQuantity);
    def.detail = detail;

    Band customer;
    customer.height = row;
    customer.items << text(17, kName - 17, field(QStringLiteral("lkCustName")), font, Align::Left, true)
                   << value(kOpenX, kCol, field(QStringLiteral("PrevOnHand")), font, kQuantity)
                   << value(colX(0), kCol, field(QStringLiteral("HandInc")), font, kQuantity)
                   << value(colX(1), kCol, field(QStringLiteral("Sold")), font, kQuantity)
                   << value(colX(4), kCol, sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")}, {QStringLiteral("Sold")}),
                            font, kSigned);
    def.subDetail = customer;
    // Rows without any stock or movement are purged when the report menu opens; they are left
    // out here as well, so that a report made without the menu prints the same. The customer
    // rows are read with one query on the first goods line and kept grouped by goods item.
    def.subDetailSource = [&db, rows = std::shared_ptr<CustomerRows>()](const Record &goods) mutable
        -> std::unique_ptr<RecordSource> {
        if (!rows)
            rows = CustomerRows::read(db);
        return rows->of(goods.value(QStringLiteral("GoodID")).toLongLong());
    };

    // The opening cell of the category total adds up the goods lines' own opening figures.
    Band footer;
    footer.height = row;
    footer.frame.top = footer.frame.bottom = true;
    footer.items << label(0, 0, kName, QStringLiteral("本类合计:"), font)
                 << sum(kOpenX, kCol, field(QStringLiteral("PrevOnHand")), font, kQuantity);
    for (int c = 0; c < 5; ++c)
        footer.items << sum(colX(c), kCol, goodsFigures.at(c), font, kQuantity);
    def.groupFooter = footer;

    Band summary;
    summary.height = row;
    summary.frame.top = summary.frame.bottom = true;
    summary.items << label(0, 0, kName, QStringLiteral("总合计："), font);
    def.summary = summary;
    def.pageFooter = pageFooter(QStringLiteral("页"), font, fullWidth);
    return def;
}

// ---- 产品与库存列表 ---------------------------------------------------------------------

ReportDefinition goodsList()
{
    const FontSpec font = song(11);
    const double row = font.lineHeight();
    ReportDefinition def;
    def.title = kList;
    def.page = PageSetup::a4Portrait();
    def.page.columns = 2;
    def.page.columnSpacing = 1;
    def.font = font;
    def.printIfEmpty = true;
    def.groupExpression = field(QStringLiteral("CataID"));
    const double fullWidth = def.page.paperWidth - def.page.marginLeft - def.page.marginRight;

    constexpr double kCode = 12, kName = 44, kQty = 17, kMny = 21;
    constexpr double kNameX = kCode, kQtyX = kNameX + kName, kMnyX = kQtyX + kQty;

    Band header;
    header.height = hei(12).lineHeight() + song(10).lineHeight() + 1;
    header.frame.bottom = true;
    header.items << label(0, 0, fullWidth, kList, hei(12), Align::Center)
                 << variable(0, hei(12).lineHeight(), fullWidth, QStringLiteral("Stamp"), song(10), Align::Center);
    def.pageHeader = header;

    Band columns;
    columns.height = row;
    columns.frame.left = columns.frame.right = columns.frame.bottom = true;
    columns.items << label(0.5, 0, kCode, QStringLiteral("代码"), font) << label(kNameX, 0, kName, QStringLiteral("品名型号"), font)
                  << label(kQtyX, 0, kQty - 0.5, QStringLiteral("库存数"), font, Align::Right)
                  << label(kMnyX, 0, kMny - 0.5, QStringLiteral("成本金额"), font, Align::Right);
    def.columnHeader = columns;

    Band group = groupHeader(field(QStringLiteral("lkCataName")), font);
    group.frame = BandFrame::box();
    def.groupHeader = group;

    const Expression onHand = sumOf({QStringLiteral("PrevOnHand"), QStringLiteral("HandInc")}, {QStringLiteral("CustHandInc")});
    const Expression onHandMny = sumOf({QStringLiteral("PrevOnHandMny"), QStringLiteral("HandIncMny")},
                                       {QStringLiteral("CustHandIncMny")});
    Band detail;
    detail.height = row;
    detail.frame.left = detail.frame.right = true;
    detail.items << text(0.5, kCode, field(QStringLiteral("GoodID")), font)
                 << text(kNameX, kName, field(QStringLiteral("Description")), font, Align::Left, true)
                 << value(kQtyX, kQty - 0.5, onHand, font, kSigned) << value(kMnyX, kMny - 0.5, onHandMny, font, kSigned);
    def.detail = detail;

    Band footer;
    footer.height = row;
    footer.frame.top = footer.frame.left = footer.frame.right = true;
    footer.items << label(0.5, 0, kName, QStringLiteral("本类合计:"), font) << sum(kQtyX, kQty - 0.5, onHand, font, kSigned)
                 << sum(kMnyX, kMny - 0.5, onHandMny, font, kSigned);
    def.groupFooter = footer;

    Band summary;
    summary.height = row;
    summary.frame = BandFrame::box();
    summary.items << label(1, 0, 25, QStringLiteral("总计数量:"), font) << sum(26, 40, onHand, font, kSigned)
                  << label(fullWidth / 2, 0, 25, QStringLiteral("总计金额:"), font)
                  << sum(fullWidth / 2 + 25, 40, onHandMny, font, kSigned);
    def.summary = summary;
    def.pageFooter = pageFooter({}, font, fullWidth);
    return def;
}

} // namespace

std::optional<StockReport> stockReportFromName(const QString &name)
{
    static const QHash<QString, StockReport> names{{QStringLiteral("book-stock"), StockReport::BookStock},
                                                   {QStringLiteral("physical-stock"), StockReport::PhysicalStock},
                                                   {QStringLiteral("main-store"), StockReport::MainStore},
                                                   {QStringLiteral("goods-list"), StockReport::GoodsList}};
    const auto it = names.constFind(name);
    return it == names.constEnd() ? std::nullopt : std::optional(*it);
}

QString stockReportTitle(StockReport report)
{
    switch (report) {
    case StockReport::BookStock:
        return kBook;
    case StockReport::PhysicalStock:
        return kPhysical;
    case StockReport::MainStore:
        return kMain;
    case StockReport::GoodsList:
        break;
    }
    return kList;
}

ReportDefinition stockReportDefinition(StockReport report, Database &db)
{
    switch (report) {
    case StockReport::BookStock:
        return bookStock();
    case StockReport::PhysicalStock:
        return physicalStock(db);
    case StockReport::MainStore:
        return mainStore();
    case StockReport::GoodsList:
        break;
    }
    return goodsList();
}

GoodsSelection menuSelection(StockReport report, std::optional<qint64> category)
{
    return {category, report != StockReport::GoodsList};
}

std::unique_ptr<RecordSource> goodsRows(Database &db, const GoodsSelection &selection)
{
    QString where = QStringLiteral("1");
    if (selection.category)
        where += QStringLiteral(" AND g.CataID = :cata");
    if (selection.skipIdle)
        where += QStringLiteral(" AND NOT (coalesce(g.PrevOnHand, 0) = 0 AND coalesce(g.PrevOnCustHand, 0) = 0 "
                                "AND coalesce(g.HandInc, 0) = 0 AND coalesce(g.CustHandInc, 0) = 0 "
                                "AND coalesce(g.Sold, 0) = 0)");
    QSqlQuery q(db.sql());
    q.prepare(QStringLiteral("SELECT g.*, c.Catalog AS lkCataName, u.Unit AS lkUnit FROM Goods g "
                             "LEFT JOIN Catalogs c ON c.CataID = g.CataID LEFT JOIN Units u ON u.UnitID = g.UnitID "
                             "WHERE %1 ORDER BY g.CataID ASC, g.HardOrder ASC, g.GoodID ASC")
                  .arg(where));
    if (selection.category)
        q.bindValue(QStringLiteral(":cata"), *selection.category);
    return std::make_unique<SqlRecordSource>(std::move(q));
}

QHash<QString, QVariant> reportVariables(const QString &stamp, const QString &date)
{
    return {{QStringLiteral("Stamp"), stamp}, {QStringLiteral("Date"), date}};
}

} // namespace hemu::reports
