#include "bench/generator.h"

#include "bench/rawstatement.h"
#include "core/bills/bookscheck.h"
#include "core/bills/singleprecision.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/accountsetfiles.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"
#include "core/masterdata/averageprices.h"
#include "core/prompter.h"

#include <QDate>
#include <QRandomGenerator>
#include <memory>

namespace hemu::bench {

bool BenchSize::byName(const QString &name, BenchSize *size)
{
    if (name == QLatin1String("tiny"))
        *size = {name, 200, 20, 10, 1'000, 5'000, 40, 3};
    else if (name == QLatin1String("small"))
        *size = {name, 2'000, 100, 50, 20'000, 100'000, 100, 5};
    else if (name == QLatin1String("large"))
        *size = {name, 20'000, 500, 300, 200'000, 1'000'000, 400, 5};
    else
        return false;
    return true;
}

QString periodStart() { return isoDateText(QDate(BillYear - 1, 12, 31)); }
QString periodEnd() { return isoDateText(QDate(BillYear, 12, 31)); }

namespace {

const char *const headerTables[] = {"RuKuDan", "DiaoBoDan", "ChuKuDan"};
const char *const detailTables[] = {"RuKuMx", "DiaoBoMx", "ChuKuMx"};
const char *const prefixes[] = {"RK-", "CK-", "SK-"};

QByteArray utf8(const QString &s) { return s.toUtf8(); }

/// Prices in quarters: exact in single precision, so posting and rebuilding agree exactly.
double quarterPrice(QRandomGenerator &rng, int lowQuarters, int spanQuarters)
{
    return double(lowQuarters + int(rng.bounded(spanQuarters))) / 4.0;
}

/// `count` distinct entries of `pool`.
QList<int> pick(QRandomGenerator &rng, const QList<int> &pool, int count)
{
    QList<int> out;
    while (out.size() < count) {
        const int g = pool[int(rng.bounded(quint32(pool.size())))];
        if (!out.contains(g))
            out << g;
    }
    return out;
}

struct Line
{
    int goods;
    double qty;
    double price;
};

} // namespace

Generator::Generator(const BenchSize &size, quint32 seed)
    : m_size(size), m_seed(seed)
{
}

QList<int> Generator::assortment(int cust) const
{
    // Spread over the whole list and distinct: stride × assortment never exceeds the goods.
    QList<int> out;
    const int stride = m_size.goods / m_size.assortment;
    for (int k = 0; k < m_size.assortment; ++k)
        out << 1 + int((qint64(cust) * 7919 + qint64(k) * stride) % m_size.goods);
    return out;
}

bool Generator::generate(const QString &path, QString *error)
{
    if (!AccountSetFiles::createBlank(path, error))
        return false;
    if (!fillBulk(path, error))
        return false;
    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(true);
    auto base = std::make_unique<BaseData>(prompter);
    auto tab = std::make_unique<TabData>(*base);
    if (!base->MyADOCnn().open(path, error))
        return false;
    base->user() = CurrentUser{1, 0, QStringLiteral("管理员"), QStringLiteral("系统管理员")};
    if (const auto failure = base->registry().openTables()) {
        *error = failure->message() + QLatin1Char(' ') + failure->error.message();
        return false;
    }
    if (!enterSample(*base, *tab, error))
        return false;
    NullProgress quiet;
    if (!tab->RecalcTotals(periodStart(), periodEnd(), quiet, error))
        return false;
    // The average prices the profit window stands on, as "求均价" makes them.
    const AveragePrices::Result prices = AveragePrices::rebuild(base->MyADOCnn(), quiet);
    if (!prices.ok) {
        *error = prices.error;
        return false;
    }
    base->registry().closeAll();
    // The books hold together as hemu-cli check sees them: totals match lines, counters the bills.
    const BooksCheck::Report check = BooksCheck::run(base->MyADOCnn());
    if (!check.ok) {
        *error = QStringLiteral("the generated books do not check: ") + (check.error.isEmpty() ? check.differences.value(0) : check.error);
        return false;
    }
    return true;
}

bool Generator::fillBulk(const QString &path, QString *error)
{
    Database db;
    if (!db.open(path, error))
        return false;
    sqlite3 *h = db.handle();
    QRandomGenerator rng(m_seed);
    // Generation is not measured: a bigger page cache makes the index builds cheaper.
    rawExec(h, "PRAGMA cache_size = -262144");
    if (!rawExec(h, "BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    auto fail = [&](const RawStatement &st) {
        if (ok && error)
            *error = st.error();
        ok = false;
    };

    const int areas = 8, units = 10, catalogs = 40;
    {
        RawStatement area(h, "INSERT INTO Areas(AreaID, AreaName) VALUES (?, ?)");
        for (int i = 1; i <= areas && ok; ++i)
            if (!area.bind(1, i).bind(2, utf8(QStringLiteral("地区%1").arg(i))).run())
                fail(area);
        RawStatement unit(h, "INSERT INTO Units(UnitID, Unit) VALUES (?, ?)");
        for (int i = 1; i <= units && ok; ++i)
            if (!unit.bind(1, i).bind(2, utf8(QStringLiteral("单位%1").arg(i))).run())
                fail(unit);
        RawStatement cata(h, "INSERT INTO Catalogs(CataID, Catalog) VALUES (?, ?)");
        for (int i = 1; i <= catalogs && ok; ++i)
            if (!cata.bind(1, i).bind(2, utf8(QStringLiteral("类别%1").arg(i))).run())
                fail(cata);
        RawStatement vendor(h, "INSERT INTO Vendors(VendorID, VendorName, AreaID, Address, Telephone) VALUES (?, ?, ?, ?, ?)");
        for (int i = 1; i <= m_size.vendors && ok; ++i)
            if (!vendor.bind(1, i)
                     .bind(2, utf8(QStringLiteral("供货方%1").arg(i)))
                     .bind(3, 1 + i % areas)
                     .bind(4, utf8(QStringLiteral("工业路%1号").arg(i)))
                     .bind(5, utf8(QStringLiteral("0906-%1").arg(6500000 + i)))
                     .run())
                fail(vendor);
        RawStatement cust(h, "INSERT INTO Customers(CustID, AreaID, CustName, Address, Telephone, Manager, RegDate) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?)");
        for (int i = 1; i <= m_size.customers && ok; ++i)
            if (!cust.bind(1, i)
                     .bind(2, 1 + i % areas)
                     .bind(3, utf8(QStringLiteral("客户%1商店").arg(i)))
                     .bind(4, utf8(QStringLiteral("商业街%1号").arg(i)))
                     .bind(5, utf8(QStringLiteral("0906-%1").arg(6600000 + i)))
                     .bind(6, utf8(QStringLiteral("店长%1").arg(i)))
                     .bind(7, utf8(QStringLiteral("2024-01-02")))
                     .run())
                fail(cust);
    }

    // Goods with opening balances in the main store.
    QList<double> cost(m_size.goods + 1), sell(m_size.goods + 1);
    {
        RawStatement goods(h, "INSERT INTO Goods(GoodID, Description, BarCode, CataID, UnitID, VendorID, CustID, TaxRate, "
                              "CostPrice, SellPrice, HardOrder, EnterDate, PrevOnHand, PrevOnHandMny) "
                              "VALUES (?, ?, ?, ?, ?, ?, 0, 0.13, ?, ?, ?, '2024-01-02', ?, ?)");
        for (int g = 1; g <= m_size.goods && ok; ++g) {
            cost[g] = quarterPrice(rng, 4, 800);
            sell[g] = cost[g] + quarterPrice(rng, 1, 200);
            const double onHand = double(50 + rng.bounded(450));
            if (!goods.bind(1, g)
                     .bind(2, utf8(QStringLiteral("商品%1 型号%2").arg(g, 5, 10, QLatin1Char('0')).arg(QChar(u'A' + g % 26))))
                     .bind(3, utf8(QStringLiteral("69%1").arg(1000000000 + g)))
                     .bind(4, 1 + g % catalogs)
                     .bind(5, 1 + g % units)
                     .bind(6, 1 + (g - 1) % m_size.vendors)
                     .bind(7, cost[g])
                     .bind(8, sell[g])
                     .bind(9, g)
                     .bind(10, onHand)
                     .bind(11, onHand * cost[g])
                     .run())
                fail(goods);
        }
    }
    // Opening balances at the customers: a quarter of each assortment.
    {
        RawStatement stock(h, "INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, PrevOnHandMny) VALUES (?, ?, ?, ?)");
        for (int c = 1; c <= m_size.customers && ok; ++c) {
            const QList<int> goods = assortment(c);
            for (int k = 0; k < goods.size() / 4 && ok; ++k) {
                const double qty = double(1 + rng.bounded(10));
                if (!stock.bind(1, goods[k]).bind(2, c).bind(3, qty).bind(4, qty * sell[goods[k]]).run())
                    fail(stock);
            }
        }
        ok = ok
            && rawExec(h, "UPDATE Goods SET PrevOnCustHand = s.q, PrevOnCustHandMny = s.m FROM "
                          "(SELECT GoodID, sum(PrevOnHand) AS q, sum(PrevOnHandMny) AS m FROM GoodsInCusts GROUP BY GoodID) s "
                          "WHERE Goods.GoodID = s.GoodID");
    }

    // Bills over the year in date order. Bills come in pairs whose line counts add up to
    // twice the average, so the total is exact; the 20-line delivery bills close the year.
    const int twentyLineBills = 2 * m_size.runs;
    const int bills = m_size.bills - twentyLineBills - 3 * 10; // the sample adds 10 of each kind
    const int lines = m_size.lines - 20 * twentyLineBills - 3 * 10 * 5;
    const int average = lines / bills;
    const int extra = lines % bills;
    {
        std::unique_ptr<RawStatement> header[3], detail[3];
        for (int k = 0; k < 3; ++k) {
            header[k] = std::make_unique<RawStatement>(
                h, QStringLiteral("INSERT INTO %1(TabID, BookID, CustID, TabDate, RegDate, SumMoney, PersonID, KindID) "
                                  "VALUES (?, ?, ?, ?, ?, ?, 1, ?)")
                       .arg(QLatin1String(headerTables[k]))
                       .toUtf8()
                       .constData());
            detail[k] = std::make_unique<RawStatement>(
                h, QStringLiteral("INSERT INTO %1(TabID, ItemNo, GoodID, Price, Qty) VALUES (?, ?, ?, ?, ?)")
                       .arg(QLatin1String(detailTables[k]))
                       .toUtf8()
                       .constData());
        }
        qint64 nextTab[3] = {1, 1, 1};
        int pairDelta = 0;
        auto writeBill = [&](int k, int party, const QDate &date, const QList<Line> &billLines) -> qint64 {
            const qint64 tabId = nextTab[k]++;
            double total = 0;
            for (int i = 0; i < billLines.size() && ok; ++i) {
                const Line &l = billLines[i];
                total = addSingle(total, l.qty * l.price);
                if (!detail[k]->bind(1, tabId).bind(2, i + 1).bind(3, l.goods).bind(4, l.price).bind(5, l.qty).run())
                    fail(*detail[k]);
            }
            const QByteArray day = utf8(isoDateText(date));
            if (ok
                && !header[k]->bind(1, tabId)
                        .bind(2, utf8(QLatin1String(prefixes[k]) + billDateText(date)))
                        .bind(3, party)
                        .bind(4, day)
                        .bind(5, day)
                        .bind(6, total)
                        .bind(7, k + 1)
                        .run())
                fail(*header[k]);
            return tabId;
        };
        const QDate first(BillYear, 1, 1);
        for (int b = 0; b < bills && ok; ++b) {
            if (b % 2 == 0)
                pairDelta = int(rng.bounded(quint32(average)));
            const int count = average + (b % 2 == 0 ? pairDelta : -pairDelta) + (b < extra ? 1 : 0);
            const QDate date = first.addDays(qint64(b) * 358 / bills); // the last week is the sample's
            const int k = b % 5 == 0 ? 0 : (b % 5 < 3 ? 1 : 2);
            QList<Line> billLines;
            if (k == 0) {
                const int vendor = 1 + int(rng.bounded(quint32(m_size.vendors)));
                QList<int> pool;
                for (int g = vendor; g <= m_size.goods; g += m_size.vendors)
                    pool << g;
                for (int g : pick(rng, pool, qMin(count, int(pool.size()))))
                    billLines.append({g, double(10 + rng.bounded(90)), cost[g]});
                writeBill(k, vendor, date, billLines);
            } else {
                const int cust = 1 + int(rng.bounded(quint32(m_size.customers)));
                for (int g : pick(rng, assortment(cust), count))
                    billLines.append({g, double(1 + rng.bounded(k == 1 ? 20 : 15)), sell[g]});
                writeBill(k, cust, date, billLines);
            }
        }
        const QList<int> benchGoods = assortment(benchCustomer());
        for (int b = 0; b < twentyLineBills && ok; ++b) {
            QList<Line> billLines;
            for (int g : pick(rng, benchGoods, 20))
                billLines.append({g, double(1 + rng.bounded(20)), sell[g]});
            m_twentyLineBills << writeBill(1, benchCustomer(), QDate(BillYear, 12, 30), billLines);
        }
    }
    ok = ok && db.exec(QStringLiteral("UPDATE UserInfo SET 结转时间 = ?"), {periodStart()});
    if (!ok) {
        rawExec(h, "ROLLBACK");
        return false;
    }
    if (!rawExec(h, "COMMIT")) {
        *error = QString::fromUtf8(sqlite3_errmsg(h));
        return false;
    }
    rawExec(h, "ANALYZE");
    return true;
}

bool Generator::enterSample(BaseData &base, TabData &tab, QString *error)
{
    // Ten bills of each kind, five lines each, typed the way the bill window enters them.
    QRandomGenerator rng(m_seed + 1);
    auto check = [&](const DatasetError &e) {
        if (e.failed() && error)
            *error = e.message().isEmpty() ? QStringLiteral("a sample bill was refused") : e.message();
        return e.ok();
    };
    const QList<int> goods = assortment(benchCustomer());
    for (int b = 0; b < 10; ++b) {
        for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
            Dataset *h = tab.header(kind);
            Dataset *d = tab.detail(kind);
            const int party = kind == BillKind::StockIn ? 1 + b % m_size.vendors : benchCustomer();
            const QDate date(BillYear, 12, 24 + b % 7);
            h->setFiltered(false);
            if (!check(h->append()) || !check(h->setValue(QStringLiteral("CustID"), party))
                || !check(h->setValue(QStringLiteral("TabDate"), isoDateText(date)))
                || !check(h->setValue(QStringLiteral("BookID"), QString::fromLatin1(billKindInfo(kind).prefix) + billDateText(date)))
                || !check(h->post()))
                return false;
            for (int g : pick(rng, goods, 5)) {
                const double price = base.MyADOCnn()
                                         .scalar(kind == BillKind::StockIn ? QStringLiteral("SELECT CostPrice FROM Goods WHERE GoodID = ?")
                                                                          : QStringLiteral("SELECT SellPrice FROM Goods WHERE GoodID = ?"),
                                                 {g})
                                         .toDouble();
                if (!check(d->append()) || !check(d->setValue(QStringLiteral("GoodID"), g))
                    || !check(d->setValue(QStringLiteral("Qty"), double(1 + rng.bounded(10))))
                    || !check(d->setValue(QStringLiteral("Price"), price)) || !check(d->post()))
                    return false;
            }
            ++m_sampleBills;
        }
    }
    return true;
}

} // namespace hemu::bench
