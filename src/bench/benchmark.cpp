#include "bench/benchmark.h"

#include "bench/memory.h"
#include "bench/plainread.h"
#include "bench/rawstatement.h"
#include "core/analysis/billsearch.h"
#include "core/analysis/custstatement.h"
#include "core/analysis/receivables.h"
#include "core/backup/backupstore.h"
#include "core/bills/singleprecision.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"
#include "core/prompter.h"
#include "core/reports/reportlayout.h"
#include "core/reports/stockreports.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace hemu::bench {

namespace {

bool datasetOk(const DatasetError &e, const QString &what, QString *error)
{
    if (e.failed())
        *error = what + QStringLiteral(": ") + (e.message().isEmpty() ? QStringLiteral("refused") : e.message());
    return e.ok();
}

} // namespace

std::optional<double> Figure::ratio() const
{
    if (!baseline || *baseline <= 0)
        return std::nullopt;
    return value / *baseline;
}

bool Figure::meetsTarget() const
{
    if (!target)
        return true;
    const auto r = ratio();
    return (baseline ? r.value_or(0) : value) <= *target;
}

Benchmark::Benchmark(const BenchSize &size, const QString &folder)
    : m_size(size), m_path(QDir(folder).filePath(QStringLiteral("bench-%1.xb").arg(size.name))), m_generator(size)
{
}

Benchmark::~Benchmark()
{
    closeModules();
}

void Benchmark::add(const QString &name, const QList<double> &ours, const QList<double> &raw, std::optional<double> target)
{
    Figure f;
    f.name = name;
    f.value = median(ours);
    f.unit = QStringLiteral("ms");
    if (!raw.isEmpty())
        f.baseline = median(raw);
    f.target = target;
    m_figures << f;
}

bool Benchmark::openModules(QString *error)
{
    closeModules();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_prompter->setDefaultAnswer(true);
    m_base = std::make_unique<BaseData>(*m_prompter);
    m_tab = std::make_unique<TabData>(*m_base);
    m_base->user() = CurrentUser{1, 0, QStringLiteral("管理员"), QStringLiteral("系统管理员")};
    return m_base->MyADOCnn().open(m_path, error);
}

void Benchmark::closeModules()
{
    if (m_base)
        m_base->registry().closeAll();
    m_tab.reset();
    m_base.reset();
    m_prompter.reset();
}

bool Benchmark::run(QString *error, const QStringList &only)
{
    QElapsedTimer timer;
    timer.start();
    if (!m_generator.generate(m_path, error))
        return false;
    m_notes << QStringLiteral("generated and checked in %1 s: masters and %2 bills by bulk inserts, %3 bills through "
                              "TabData, counters by TabData::RecalcTotals; the books check passes")
                   .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1)
                   .arg(m_size.bills - m_generator.sampleBills())
                   .arg(m_generator.sampleBills());
    if (!openModules(error))
        return false;
    if (!measureOpen(error))
        return false;
    const struct
    {
        const char *name;
        bool (Benchmark::*measure)(QString *);
    } measurements[] = {{"post_line", &Benchmark::measurePost},
                        {"recalc_totals", &Benchmark::measureRecalc},
                        {"filter_goods", &Benchmark::measureFilterGoods},
                        {"receivables", &Benchmark::measureReceivables},
                        {"bill_search", &Benchmark::measureBillSearch},
                        {"statement", &Benchmark::measureStatement},
                        {"delete_bill", &Benchmark::measureDeleteBill},
                        {"carry_forward", &Benchmark::measureCarryForward},
                        {"first_write_check", &Benchmark::measureFirstWriteCheck},
                        {"quick_check", &Benchmark::measureQuickCheck},
                        {"layout_physical_stock", &Benchmark::measureLayoutPhysicalStock},
                        {"stock_check", &Benchmark::measureStockCheck},
                        {"open_windows", &Benchmark::measureWindows}};
    for (const auto &m : measurements) {
        if ((only.isEmpty() || only.contains(QLatin1String(m.name))) && !(this->*m.measure)(error))
            return false;
    }
    return true;
}

bool Benchmark::measureOpen(QString *error)
{
    // The first open also gives the memory figure: what opening the set costs a fresh program.
    Memory::releaseFreed();
    const double before = Memory::currentRssMb();
    const bool peakReset = Memory::resetPeak();
    std::optional<DatasetRegistry::OpenFailure> failure;
    const double first = timeMs([&] { failure = m_base->registry().openTables(); });
    if (failure) {
        *error = failure->message() + QLatin1Char(' ') + failure->error.message();
        return false;
    }
    Figure memory;
    memory.name = QStringLiteral("peak_rss_mb");
    memory.value = Memory::peakRssMb();
    memory.unit = QStringLiteral("MB");
    memory.target = 400;
    m_notes << QStringLiteral("resident before the first open %1 MB, first open %2 ms%3")
                   .arg(before, 0, 'f', 1)
                   .arg(first, 0, 'f', 1)
                   .arg(peakReset ? QString() : QStringLiteral(" (peak could not be reset: it includes generation)"));

    sqlite3 *h = m_base->MyADOCnn().handle();
    // The yardstick reads the rows the open leaves in memory: those of every opened dataset
    // but the views that read theirs on first use. Two more are printed: all opened datasets
    // read as if none waited, and each table (or command) read once, however many views show it.
    QList<Dataset *> opened, holding;
    for (Dataset *ds : m_base->registry().datasets()) {
        if (!ds->isOpen() || ds->kind() == Dataset::Kind::Query)
            continue;
        opened << ds;
        if (!ds->loadOnFirstUse())
            holding << ds;
    }
    const QList<PlainRead> reads = plainReadsOf(holding);
    const QList<PlainRead> eager = plainReadsOf(opened);
    QList<PlainRead> distinct;
    QSet<QByteArray> tables;
    for (Dataset *ds : opened) {
        const QByteArray key = ds->kind() == Dataset::Kind::Table ? ds->tableName().toUtf8() : ds->sql().toUtf8();
        if (!tables.contains(key)) {
            tables.insert(key);
            distinct << plainReadsOf({ds});
        }
    }
    QList<double> ours, raw, all, once;
    for (int run = 0; run < m_size.runs; ++run) {
        m_base->registry().closeAll();
        ours << timeMs([&] { failure = m_base->registry().openTables(); });
        if (failure) {
            *error = failure->message();
            return false;
        }
        raw << timeMs([&] { runPlainReads(h, reads); });
        all << timeMs([&] { runPlainReads(h, eager); });
        once << timeMs([&] { runPlainReads(h, distinct); });
    }
    add(QStringLiteral("open_account_set"), ours, raw, 2.0);
    m_notes << QStringLiteral("open_account_set: %1 datasets opened, %2 of them read on first use; reading every opened "
                              "dataset takes %3 ms (ratio %4), each distinct table once %5 ms (ratio %6)")
                   .arg(opened.size())
                   .arg(opened.size() - holding.size())
                   .arg(median(all), 0, 'f', 1)
                   .arg(median(ours) / median(all), 0, 'f', 2)
                   .arg(median(once), 0, 'f', 1)
                   .arg(median(ours) / median(once), 0, 'f', 2);
    m_figures << memory;
    return true;
}

bool Benchmark::measurePost(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    const int cust = m_generator.benchCustomer();
    const QString day = periodEnd();
    // A fresh delivery bill for each side, entered as the bill window enters it.
    Dataset *header = m_tab->DiaoBo;
    Dataset *lines = m_tab->DiaoBoMx;
    header->setFiltered(false);
    if (!datasetOk(header->append(), QStringLiteral("new bill"), error)
        || !datasetOk(header->setValue(QStringLiteral("CustID"), cust), QStringLiteral("customer"), error)
        || !datasetOk(header->setValue(QStringLiteral("TabDate"), day), QStringLiteral("date"), error)
        || !datasetOk(header->post(), QStringLiteral("bill"), error))
        return false;
    qint64 rawBill = 0;
    {
        RawStatement bill(h, "INSERT INTO DiaoBoDan(BookID, CustID, TabDate, RegDate, SumMoney, PersonID, KindID) "
                             "VALUES ('CK-2025-12-31', ?, ?, ?, 0, 1, 2)");
        if (!bill.bind(1, cust).bind(2, day.toUtf8()).bind(3, day.toUtf8()).run()) {
            *error = bill.error();
            return false;
        }
        rawBill = sqlite3_last_insert_rowid(h);
    }

    RawStatement begin(h, "BEGIN IMMEDIATE");
    RawStatement commit(h, "COMMIT");
    RawStatement itemNo(h, "SELECT coalesce(max(ItemNo), 0) + 1 FROM DiaoBoMx WHERE TabID = ?");
    RawStatement insert(h, "INSERT INTO DiaoBoMx(TabID, ItemNo, GoodID, Price, Qty) VALUES (?, ?, ?, ?, ?)");
    RawStatement goods(h, "UPDATE Goods SET CustHandInc = CustHandInc + ?, CustHandIncMny = CustHandIncMny + ?, SellPrice = ? "
                          "WHERE GoodID = ?");
    RawStatement stock(h, "INSERT INTO GoodsInCusts(GoodID, CustID, HandInc, HandIncMny) VALUES (?, ?, ?, ?) "
                          "ON CONFLICT(GoodID, CustID) DO UPDATE SET HandInc = HandInc + excluded.HandInc, "
                          "HandIncMny = HandIncMny + excluded.HandIncMny");
    RawStatement billLines(h, "SELECT Qty, Price FROM DiaoBoMx WHERE TabID = ? ORDER BY rowid");
    RawStatement total(h, "UPDATE DiaoBoDan SET SumMoney = ? WHERE TabID = ?");
    auto rawPost = [&](int good, double qty, double price) {
        const double q = toSingle(qty), p = toSingle(price);
        bool ok = begin.run();
        ok = ok && itemNo.bind(1, rawBill).next();
        const qint64 item = itemNo.integer(0);
        itemNo.reset();
        ok = ok && insert.bind(1, rawBill).bind(2, item).bind(3, good).bind(4, price).bind(5, qty).run();
        ok = ok && goods.bind(1, q).bind(2, q * p).bind(3, p).bind(4, good).run();
        ok = ok && stock.bind(1, good).bind(2, cust).bind(3, q).bind(4, q * p).run();
        double sum = 0;
        billLines.bind(1, rawBill);
        while (ok && billLines.next())
            sum = addSingle(sum, billLines.real(0) * billLines.real(1));
        billLines.reset();
        ok = ok && total.bind(1, sum).bind(2, rawBill).run();
        ok = ok && commit.run();
        if (!ok)
            rawExec(h, "ROLLBACK");
        return ok;
    };

    const QList<int> assortment = m_generator.assortment(cust);
    QList<double> ours, raw;
    // A post takes a millisecond or less: many runs keep one slow fsync out of the median.
    const int runs = qMin(qMax(31, 3 * m_size.runs), int(assortment.size()));
    for (int run = 0; run < runs; ++run) {
        const int good = assortment[run];
        const double price = db.scalar(QStringLiteral("SELECT SellPrice FROM Goods WHERE GoodID = ?"), {good}).toDouble();
        const double qty = double(1 + run % 7);
        DatasetError e;
        auto viaTabData = [&] {
            ours << timeMs([&] {
                e = lines->append();
                if (e.ok())
                    e = lines->setValue(QStringLiteral("GoodID"), good);
                if (e.ok())
                    e = lines->setValue(QStringLiteral("Qty"), qty);
                if (e.ok())
                    e = lines->setValue(QStringLiteral("Price"), price);
                if (e.ok())
                    e = lines->post();
            });
        };
        bool rawOk = true;
        auto viaRaw = [&] { raw << timeMs([&] { rawOk = rawPost(good, qty, price); }); };
        // Alternate which goes first, so that neither always meets a warmer cache.
        if (run % 2) {
            viaRaw();
            viaTabData();
        } else {
            viaTabData();
            viaRaw();
        }
        if (!datasetOk(e, QStringLiteral("posting a line"), error))
            return false;
        if (!rawOk) {
            *error = QStringLiteral("raw posting failed: ") + QString::fromUtf8(sqlite3_errmsg(h));
            return false;
        }
    }
    const double ourTotal = header->value(QStringLiteral("SumMoney")).toDouble();
    const double rawTotal = db.scalar(QStringLiteral("SELECT SumMoney FROM DiaoBoDan WHERE TabID = ?"), {rawBill}).toDouble();
    if (ourTotal != rawTotal) {
        *error = QStringLiteral("the two bills differ: %1 and %2").arg(ourTotal).arg(rawTotal);
        return false;
    }
    add(QStringLiteral("post_line"), ours, raw, 1.5);
    return true;
}

bool Benchmark::measureFilterGoods(QString *error)
{
    sqlite3 *h = m_base->MyADOCnn().handle();
    Dataset *goods = m_base->lkGoods; // the goods picker's search
    const QString text = QStringLiteral("型号K");
    QStringList columns;
    for (Field *f : goods->fields()) {
        if (f->isData())
            columns << f->name();
    }
    // The marks live in the program's memory: the search reads the codes that match, and the
    // view reads its rows again (another program may have added goods).
    RawStatement matching(h, "SELECT GoodID FROM Goods WHERE Description LIKE ? ESCAPE '\\'");
    RawStatement rows(h, QStringLiteral("SELECT rowid, %1 FROM Goods ORDER BY rowid").arg(columns.join(QLatin1Char(','))).toUtf8().constData());
    const QByteArray pattern = (QLatin1Char('%') + text + QLatin1Char('%')).toUtf8();
    QList<double> ours, raw;
    int found = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        bool ok = true;
        ours << timeMs([&] { ok = m_base->FilterGoods(0, text, *goods, error); });
        if (!ok)
            return false;
        found = goods->rowCount();
        raw << timeMs([&] {
            matching.bind(1, pattern);
            double sum = 0;
            while (matching.next())
                sum += matching.touchRow();
            matching.reset();
            while (rows.next())
                sum += rows.touchRow();
            rows.reset();
        });
    }
    goods->setFiltered(false);
    add(QStringLiteral("filter_goods"), ours, raw, std::nullopt);
    m_notes << QStringLiteral("filter_goods: \"%1\" on lkGoods finds %2 items").arg(text).arg(found);
    return true;
}

bool Benchmark::measureBillSearch(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    TabData &tab = *m_tab;
    const QList<Dataset *> headers = {tab.RuKu, tab.DiaoBo, tab.ChuKu};
    for (Dataset *header : headers) {
        if (!header->isOpen() && !datasetOk(header->open(), QStringLiteral("bill list"), error))
            return false;
    }
    // The goods item on the most delivery lines: the search with the most bills to show.
    const qint64 goods = db.scalar(QStringLiteral("SELECT GoodID FROM DiaoBoMx GROUP BY GoodID ORDER BY count(*) DESC LIMIT 1"))
                             .toLongLong();
    const BillSearch::Criteria criteria{QString(), QString::number(goods), QString(), QString()};
    // The yardstick reads the bills found, every column, straight from the file.
    QList<PlainRead> reads;
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        reads.append({QStringLiteral("SELECT * FROM %1 WHERE TabID IN (SELECT h.TabID FROM %1 h JOIN %2 m ON h.TabID = m.TabID "
                                     "WHERE m.GoodID = ?1)")
                          .arg(headerTable(kind), detailTable(kind))
                          .toUtf8(),
                      {goods}});
    }
    QList<double> ours, raw;
    for (int run = 0; run < m_size.runs; ++run) {
        BillSearch::Outcome outcome;
        ours << timeMs([&] { outcome = BillSearch::run(db, headers, criteria); });
        if (!outcome.searched || !outcome.failures.isEmpty()) {
            *error = QStringLiteral("bill search: ") + outcome.error + outcome.failures.join(QLatin1Char('\n'));
            return false;
        }
        raw << timeMs([&] { runPlainReads(h, reads); });
    }
    m_notes << QStringLiteral("bill_search: goods item %1 on %2 + %3 + %4 bills")
                   .arg(goods)
                   .arg(tab.RuKu->rowCount())
                   .arg(tab.DiaoBo->rowCount())
                   .arg(tab.ChuKu->rowCount());
    tab.ShowAllBills();
    add(QStringLiteral("bill_search"), ours, raw, 3.0);
    return true;
}

bool Benchmark::measureReceivables(QString *error)
{
    sqlite3 *h = m_base->MyADOCnn().handle();
    Receivables receivables(m_base->MyADOCnn());
    const QByteArray sums = Receivables::sumDueSql().toUtf8(), lines = Receivables::custsDueSql().toUtf8();
    QList<double> ours, raw;
    for (int run = 0; run < m_size.runs; ++run) {
        DatasetError e;
        ours << timeMs([&] { e = receivables.open(); });
        if (!datasetOk(e, QStringLiteral("receivables"), error))
            return false;
        raw << timeMs([&] { runPlainReads(h, {{sums, {}}, {lines, {}}}); });
    }
    m_notes << QStringLiteral("receivables: %1 customers owe, %2 goods lines behind it")
                   .arg(receivables.qSumDue->rowCount())
                   .arg(receivables.qCustsDue->rowCount());
    receivables.close();
    add(QStringLiteral("receivables"), ours, raw, std::nullopt);
    return true;
}

bool Benchmark::measureStatement(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    // The customer on the most delivery and receipt lines, over the whole year of bills.
    const qint64 busiest
        = db.scalar(QStringLiteral("SELECT CustID FROM (SELECT h.CustID FROM DiaoBoDan h JOIN DiaoBoMx m ON m.TabID = h.TabID "
                                   "UNION ALL SELECT h.CustID FROM ChuKuDan h JOIN ChuKuMx m ON m.TabID = h.TabID) "
                                   "GROUP BY CustID ORDER BY count(*) DESC LIMIT 1"))
              .toLongLong();
    // The yardstick reads every line the figures cover with its bill's date, straight from the file.
    QList<PlainRead> customerLines, allLines;
    for (BillKind kind : {BillKind::Delivery, BillKind::Receipt}) {
        const QString lines = QStringLiteral("SELECT h.CustID, h.TabDate, m.* FROM %1 h JOIN %2 m ON m.TabID = h.TabID")
                                  .arg(headerTable(kind), detailTable(kind));
        customerLines.append(PlainRead{(lines + QStringLiteral(" WHERE h.CustID = ?1")).toUtf8(), {busiest}});
        allLines.append(PlainRead{lines.toUtf8(), {}});
    }
    allLines.append(PlainRead{"SELECT * FROM GoodsInCusts", {}});
    CustStatement statement(db);
    QList<double> ours, raw, agesOurs, agesRaw;
    int goods = 0, bills = 0, held = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        DatasetError e;
        ours << timeMs([&] { e = statement.open(busiest, QDate(BillYear, 1, 1), QDate(BillYear, 12, 31)); });
        if (!datasetOk(e, QStringLiteral("statement"), error))
            return false;
        raw << timeMs([&] { runPlainReads(h, customerLines); });
        agesOurs << timeMs([&] { e = statement.openAges(QDate(BillYear, 12, 31)); });
        if (!datasetOk(e, QStringLiteral("held ages"), error))
            return false;
        agesRaw << timeMs([&] { runPlainReads(h, allLines); });
        goods = statement.qStatement->rowCount();
        bills = statement.qStatementBills->rowCount();
        held = statement.qHeldAge->rowCount();
    }
    statement.close();
    statement.qHeldAge->close();
    m_notes << QStringLiteral("statement: customer %1 over %2, %3 goods and %4 bills; held_age: %5 customer goods lines")
                   .arg(busiest)
                   .arg(BillYear)
                   .arg(goods)
                   .arg(bills)
                   .arg(held);
    add(QStringLiteral("statement"), ours, raw, 3.0);
    add(QStringLiteral("held_age"), agesOurs, agesRaw, 3.0);
    return true;
}

bool Benchmark::measureDeleteBill(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    RawStatement begin(h, "BEGIN IMMEDIATE");
    RawStatement commit(h, "COMMIT");
    RawStatement billLines(h, "SELECT h.CustID, m.GoodID, m.Qty, m.Price FROM DiaoBoMx m JOIN DiaoBoDan h ON h.TabID = m.TabID "
                              "WHERE m.TabID = ? ORDER BY m.rowid");
    RawStatement goods(h, "UPDATE Goods SET CustHandInc = CustHandInc - ?, CustHandIncMny = CustHandIncMny - ?, SellPrice = ? "
                          "WHERE GoodID = ?");
    RawStatement stock(h, "UPDATE GoodsInCusts SET HandInc = HandInc - ?, HandIncMny = HandIncMny - ? WHERE GoodID = ? AND CustID = ?");
    RawStatement dropLines(h, "DELETE FROM DiaoBoMx WHERE TabID = ?");
    RawStatement dropBill(h, "DELETE FROM DiaoBoDan WHERE TabID = ?");
    auto rawDelete = [&](qint64 tabId) {
        struct Line
        {
            qint64 cust, good;
            double qty, price;
        };
        QList<Line> found;
        bool ok = begin.run();
        billLines.bind(1, tabId);
        while (ok && billLines.next())
            found.append({billLines.integer(0), billLines.integer(1), billLines.real(2), billLines.real(3)});
        billLines.reset();
        for (const Line &l : found) {
            const double q = toSingle(l.qty), p = toSingle(l.price);
            ok = ok && goods.bind(1, q).bind(2, q * p).bind(3, p).bind(4, l.good).run();
            ok = ok && stock.bind(1, q).bind(2, q * p).bind(3, l.good).bind(4, l.cust).run();
        }
        ok = ok && dropLines.bind(1, tabId).run() && dropBill.bind(1, tabId).run() && commit.run();
        if (!ok)
            rawExec(h, "ROLLBACK");
        return ok;
    };

    const QList<qint64> bills = m_generator.twentyLineBills();
    Dataset *header = m_tab->DiaoBo;
    header->setFiltered(false);
    QList<double> ours, raw;
    for (int run = 0; run + 1 < bills.size(); run += 2) {
        if (!header->locate(QStringLiteral("TabID"), bills[run]) || m_tab->DiaoBoMx->rowCount() != 20) {
            *error = QStringLiteral("20-line bill %1 not found").arg(bills[run]);
            return false;
        }
        DatasetError e;
        ours << timeMs([&] { e = header->remove(); });
        if (!datasetOk(e, QStringLiteral("deleting a bill"), error))
            return false;
        bool ok = true;
        raw << timeMs([&] { ok = rawDelete(bills[run + 1]); });
        if (!ok) {
            *error = QStringLiteral("raw delete failed");
            return false;
        }
    }
    add(QStringLiteral("delete_bill"), ours, raw, std::nullopt);
    return true;
}

bool Benchmark::measureCarryForward(QString *error)
{
    sqlite3 *h = m_base->MyADOCnn().handle();
    RawStatement begin(h, "BEGIN IMMEDIATE");
    RawStatement goods(h, "UPDATE Goods SET PrevOnHand = PrevOnHand + HandInc - CustHandInc, "
                          "PrevOnHandMny = PrevOnHandMny + HandIncMny - CustHandIncMny, "
                          "PrevOnCustHand = PrevOnCustHand + CustHandInc - Sold, "
                          "PrevOnCustHandMny = PrevOnCustHandMny + CustHandIncMny - SoldMny, "
                          "HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, Sold = 0, SoldMny = 0");
    RawStatement stock(h, "UPDATE GoodsInCusts SET PrevOnHand = PrevOnHand + HandInc - Sold, "
                          "PrevOnHandMny = PrevOnHandMny + HandIncMny - SoldMny, HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0");
    RawStatement commit(h, "COMMIT");
    // The figure is the carry-forward itself; the copy of the file the program takes before it
    // is the backup's cost, not the statements'.
    const NoAutomaticBackups notCounted;
    QList<double> ours, raw, afterwards;
    for (int run = 0; run < m_size.runs; ++run) {
        bool ok = true;
        ours << timeMs([&] { ok = m_tab->CarryForward(); });
        if (!ok) {
            *error = QStringLiteral("carry-forward failed");
            return false;
        }
        // The views marked to be read on their next use are used now, outside the figure, as
        // a window showing them would after the carry-forward returned.
        afterwards << timeMs([&] {
            for (Dataset *view : {m_base->lkGoods, m_base->Goods, m_tab->Goods, m_tab->GoodsInCusts})
                view->rowCount();
        });
        raw << timeMs([&] { ok = begin.run() && goods.run() && stock.run() && commit.run(); });
        if (!ok) {
            rawExec(h, "ROLLBACK");
            *error = QStringLiteral("raw carry-forward failed");
            return false;
        }
    }
    add(QStringLiteral("carry_forward"), ours, raw, 1.5);
    m_notes << QStringLiteral("carry_forward: the goods and customer stock views read on their first use afterwards "
                              "(the goods picker's, the base-information window's, TabData's goods and customer stock): "
                              "%1 ms, not in the figure")
                   .arg(median(afterwards), 0, 'f', 1);
    return true;
}

bool Benchmark::measureFirstWriteCheck(QString *error)
{
    // A program checks the file's structure before its first write on each connection: ours
    // is the first transaction of a fresh connection (which runs that check), the yardstick
    // the bare PRAGMA quick_check on the open connection.
    sqlite3 *h = m_base->MyADOCnn().handle();
    RawStatement check(h, "PRAGMA quick_check(1)");
    QList<double> ours, raw;
    for (int run = 0; run < m_size.runs; ++run) {
        Database fresh;
        QString openError;
        if (!fresh.open(m_path, &openError)) {
            *error = QStringLiteral("second connection: ") + openError;
            return false;
        }
        bool ok = false;
        ours << timeMs([&] {
            Transaction tx(fresh);
            ok = tx.isActive();
        });
        if (!ok) {
            *error = QStringLiteral("first write refused: ") + fresh.lastError().text();
            return false;
        }
        raw << timeMs([&] { ok = check.next() && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(check.handle(), 0)), "ok") == 0; });
        check.reset();
        if (!ok) {
            *error = QStringLiteral("quick_check failed: ") + check.error();
            return false;
        }
    }
    add(QStringLiteral("first_write_check"), ours, raw, 1.5);
    return true;
}

bool Benchmark::measureQuickCheck(QString *error)
{
    // What every open of the program adds before the login: a connection of its own to the
    // file and its structure check. Measured against nothing: the figure is the time itself.
    QList<double> ours;
    for (int run = 0; run < m_size.runs; ++run) {
        Database::Soundness verdict = Database::Soundness::Unchecked;
        ours << timeMs([&] {
            Database probe;
            if (probe.open(m_path))
                verdict = probe.checkIntegrity();
        });
        if (verdict != Database::Soundness::Sound) {
            *error = QStringLiteral("the structure check of the open did not pass");
            return false;
        }
    }
    add(QStringLiteral("quick_check"), ours, {}, std::nullopt);
    return true;
}

bool Benchmark::measureLayoutPhysicalStock(QString *error)
{
    using namespace hemu::reports;
    Database &db = m_base->MyADOCnn();
    const ReportDefinition def = stockReportDefinition(StockReport::PhysicalStock, db);
    const auto variables = reportVariables(m_base->PrintStampText(), QStringLiteral("2026/3/2"));
    // The yardstick reads what the statement prints: every goods row with its names, and every
    // customer row with the customer's name.
    const QList<PlainRead> reads{
        {"SELECT g.*, c.Catalog, u.Unit FROM Goods g LEFT JOIN Catalogs c ON c.CataID = g.CataID "
         "LEFT JOIN Units u ON u.UnitID = g.UnitID ORDER BY g.CataID, g.HardOrder",
         {}},
        {"SELECT gc.*, cu.CustName FROM GoodsInCusts gc LEFT JOIN Customers cu ON cu.CustID = gc.CustID", {}}};
    QList<double> ours, raw, first;
    int pages = 0;
    for (int run = 0; run < m_size.runs; ++run) {
        const auto rows = goodsRows(db, {std::nullopt, false});
        ReportLayout layout(def, *rows, variables);
        QElapsedTimer timer;
        timer.start();
        std::optional<double> firstPage;
        while (!layout.step(100)) {
            if (!firstPage && layout.completedPages() > 0)
                firstPage = double(timer.nsecsElapsed()) / 1e6;
        }
        ours << double(timer.nsecsElapsed()) / 1e6;
        first << firstPage.value_or(ours.last());
        if (!layout.error().isEmpty()) {
            *error = QStringLiteral("layout_physical_stock: ") + layout.error();
            return false;
        }
        pages = layout.completedPages();
        raw << timeMs([&] { runPlainReads(db.handle(), reads); });
    }
    add(QStringLiteral("layout_physical_stock"), ours, raw, 5.0);
    m_notes << QStringLiteral("layout_physical_stock: %1 pages of 实物盘存表 for all goods; first page after %2 ms "
                              "(target 500 ms)")
                   .arg(pages)
                   .arg(median(first), 0, 'f', 1);
    return true;
}

} // namespace hemu::bench
