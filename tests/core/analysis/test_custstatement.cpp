// The outlet statement and the age of what outlets hold, on the statement books: a small set
// of bills whose every figure is known, carried forward in the middle.
#include "core/analysis/custstatement.h"
#include "core/analysis/receivables.h"
#include "core/bills/posting.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/statementbooks.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QtTest>

using namespace hemu;

namespace {
/// One goods row of a statement: quantity and amount of start, delivered, returned, paid,
/// refunded and end.
using Figures = QList<double>;
using Statement = QMap<qint64, Figures>;
} // namespace

class TestCustStatement : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void statementLineByLine_data();
    void statementLineByLine();
    void billsBehindTheFigures();
    void rangesJoinUp();
    void agesFirstInFirstOut_data();
    void agesFirstInFirstOut();
    void agreesWithReceivables();
    void refusesARangeBackwards();
    void eachListReadsTheFileAgain();
    void agesAcrossBandLimits_data();
    void agesAcrossBandLimits();
    void statementOfTheAgeBooks_data();
    void statementOfTheAgeBooks();

private:
    Statement read(CustStatement &s);
    /// The bills behind the figures, each as "date kind quantity amount".
    static QStringList billLines(const CustStatement &s);
    /// Opens m_db on the age books instead of the statement books.
    void useAgeBooks();
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestCustStatement::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QString error;
    QVERIFY2(test::fillStatementBooks(*m_db, &error), qPrintable(error));
}

void TestCustStatement::cleanup()
{
    delete m_db;
    delete m_set;
}

QStringList TestCustStatement::billLines(const CustStatement &s)
{
    const Dataset &b = *s.qStatementBills;
    QStringList seen;
    for (int r = 0; r < b.rowCount(); ++r) {
        const auto v = [&](const char *name) { return b.value(r, b.fieldIndex(QLatin1String(name))); };
        seen << QStringLiteral("%1 %2 %3 %4").arg(v("TabDate").toString(), v("Kind").toString(), test::exact(v("Qty").toDouble()),
                                                 test::exact(v("Mny").toDouble()));
    }
    return seen;
}

void TestCustStatement::useAgeBooks()
{
    delete m_db;
    delete m_set;
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QString error;
    QVERIFY2(test::fillAgeBooks(*m_db, &error), qPrintable(error));
}

Statement TestCustStatement::read(CustStatement &s)
{
    Statement out;
    const Dataset &ds = *s.qStatement;
    for (int r = 0; r < ds.rowCount(); ++r) {
        Figures f;
        for (const QString &name : CustStatement::figureNames())
            f << ds.value(r, ds.fieldIndex(name)).toDouble();
        out.insert(ds.value(r, ds.fieldIndex(QStringLiteral("GoodID"))).toLongLong(), f);
    }
    return out;
}

void TestCustStatement::statementLineByLine_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<Statement>("expected");
    //                                  start     delivered  returned  paid      refunded  end
    QTest::newRow("February, before the carry-forward")
        << QDate(2026, 2, 1) << QDate(2026, 2, 28)
        << Statement{{1, {14, 140, 0, 0, 0, 0, 6, 72, 0, 0, 8, 68}}, {2, {5, 20, 0, 0, 2, 8, 0, 0, 0, 0, 3, 12}}};
    QTest::newRow("March, after it")
        << QDate(2026, 3, 1) << QDate(2026, 3, 31)
        << Statement{{1, {8, 68, 4, 40, 0, 0, 3, 36, 1, 12, 10, 84}},
                     {2, {3, 12, 0, 0, 0, 0, 2, 10, 0, 0, 1, 2}},
                     {3, {0, 0, 2, 5, 0, 0, 0, 0, 0, 0, 2, 5}}};
    QTest::newRow("every bill: the opening balance starts")
        << QDate() << QDate()
        << Statement{{1, {4, 40, 14, 140, 0, 0, 9, 108, 1, 12, 10, 84}},
                     {2, {0, 0, 5, 20, 2, 8, 2, 10, 0, 0, 1, 2}},
                     {3, {0, 0, 2, 5, 0, 0, 0, 0, 0, 0, 2, 5}}};
    QTest::newRow("before the first bill: only the opening balance")
        << QDate(2025, 1, 1) << QDate(2025, 12, 31) << Statement{{1, {4, 40, 0, 0, 0, 0, 0, 0, 0, 0, 4, 40}}};
    QTest::newRow("one day, both ends included")
        << QDate(2026, 3, 15) << QDate(2026, 3, 15)
        << Statement{{1, {5, 32, 0, 0, 0, 0, 0, 0, 1, 12, 6, 44}}, {2, {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}}};
}

void TestCustStatement::statementLineByLine()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(Statement, expected);
    CustStatement s(*m_db);
    const DatasetError e = s.open(1, from, to);
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QCOMPARE(read(s), expected);
    const CustStatement::Totals t = s.totals();
    double endMny = 0;
    for (const Figures &f : std::as_const(expected))
        endMny += f[11];
    QCOMPARE(t.endMny, endMny);
    QCOMPARE(t.startMny + t.deliveredMny - t.returnedMny - t.paidMny + t.refundedMny, t.endMny);
}

void TestCustStatement::billsBehindTheFigures()
{
    CustStatement s(*m_db);
    QVERIFY(s.open(1, QDate(2026, 2, 1), QDate(2026, 3, 31)).ok());
    QCOMPARE(billLines(s), (QStringList{QStringLiteral("2026-02-05 收款单 6 72"), QStringLiteral("2026-02-20 送货单 -2 -8"),
                                QStringLiteral("2026-03-03 收款单 5 46"), QStringLiteral("2026-03-15 收款单 -1 -12"),
                                QStringLiteral("2026-03-20 送货单 6 45")}));

    const QJsonObject json = s.toJson();
    QCOMPARE(json.value(QStringLiteral("customer")).toInteger(), 1);
    QCOMPARE(json.value(QStringLiteral("from")).toString(), QStringLiteral("2026-02-01"));
    QCOMPARE(json.value(QStringLiteral("to")).toString(), QStringLiteral("2026-03-31"));
    QCOMPARE(json.value(QStringLiteral("bills")).toArray().size(), 5);
    const QJsonObject first = json.value(QStringLiteral("goods")).toArray().first().toObject();
    QCOMPARE(first.value(QStringLiteral("GoodID")).toInteger(), 1);
    QCOMPARE(first.value(QStringLiteral("refundedMny")).toDouble(), 12.0);
    QCOMPARE(first.value(QStringLiteral("endQty")).toDouble(), 10.0);
}

void TestCustStatement::rangesJoinUp()
{
    // Month by month, across the carry-forward: where one statement ends the next starts.
    CustStatement s(*m_db);
    QVERIFY(s.open(1, QDate(), QDate(2025, 12, 31)).ok());
    Statement previous = read(s);
    QCOMPARE(previous.value(1), (Figures{4, 40, 0, 0, 0, 0, 0, 0, 0, 0, 4, 40}));
    for (int month = 1; month <= 4; ++month) {
        const QDate from(2026, month, 1);
        QVERIFY(s.open(1, from, from.addMonths(1).addDays(-1)).ok());
        const Statement now = read(s);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            const Figures before = previous.value(it.key(), Figures(12, 0.0));
            QCOMPARE(it.value()[0], before[10]);
            QCOMPARE(it.value()[1], before[11]);
        }
        for (auto it = previous.cbegin(); it != previous.cend(); ++it) {
            if (it.value()[10] != 0 || it.value()[11] != 0)
                QVERIFY2(now.contains(it.key()), qPrintable(QStringLiteral("goods %1 lost in month %2").arg(it.key()).arg(month)));
        }
        previous = now;
    }
    QCOMPARE(previous.value(1)[10], 10.0);
}

void TestCustStatement::agesFirstInFirstOut_data()
{
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<int>("cust");
    QTest::addColumn<int>("goods");
    QTest::addColumn<QList<double>>("ages"); // held, 0-30, 31-90, 91-180, over 180 days
    // Goods 1: the opening 4 and 6 of the 10 delivered on 01-10 went by receipts (6 + 3 - 1
    // refunded = 8); 6 of that delivery and the 4 of 03-20 are left.
    QTest::newRow("partly paid delivery, 80 days") << QDate(2026, 3, 31) << 1 << 1 << QList<double>{10, 4, 6, 0, 0};
    QTest::newRow("same goods in July") << QDate(2026, 7, 15) << 1 << 1 << QList<double>{10, 0, 0, 4, 6};
    QTest::newRow("return and receipt take the oldest") << QDate(2026, 3, 31) << 1 << 2 << QList<double>{1, 0, 1, 0, 0};
    QTest::newRow("goods without a unit") << QDate(2026, 3, 31) << 1 << 3 << QList<double>{2, 2, 0, 0, 0};
    QTest::newRow("before the later bills") << QDate(2026, 2, 10) << 1 << 1 << QList<double>{8, 0, 8, 0, 0};
    QTest::newRow("paid for more than delivered counts as recent") << QDate(2026, 12, 31) << 3 << 2
                                                                     << QList<double>{-2, -2, 0, 0, 0};
    QTest::newRow("another customer") << QDate(2026, 3, 31) << 2 << 1 << QList<double>{7, 7, 0, 0, 0};
}

void TestCustStatement::agesFirstInFirstOut()
{
    QFETCH(QDate, asOf);
    QFETCH(int, cust);
    QFETCH(int, goods);
    QFETCH(QList<double>, ages);
    CustStatement s(*m_db);
    for (int only : {0, cust}) { // every customer, or the one alone
        QVERIFY(s.openAges(asOf, only).ok());
        const Dataset &a = *s.qHeldAge;
        int found = -1;
        for (int r = 0; r < a.rowCount(); ++r) {
            if (a.value(r, a.fieldIndex(QStringLiteral("CustID"))).toInt() == cust
                && a.value(r, a.fieldIndex(QStringLiteral("GoodID"))).toInt() == goods)
                found = r;
        }
        QVERIFY(found >= 0);
        QList<double> got;
        for (const char *name : {"heldQty", "age0", "age31", "age91", "age181"})
            got << a.value(found, a.fieldIndex(QLatin1String(name))).toDouble();
        QCOMPARE(got, ages);
    }
}

void TestCustStatement::agreesWithReceivables()
{
    Receivables due(*m_db);
    QVERIFY(due.open().ok());
    CustStatement s(*m_db);
    QVERIFY(s.openAges(QDate(2026, 12, 31)).ok());
    const Dataset &lines = *due.qCustsDue;
    const Dataset &aged = *s.qHeldAge;
    QMap<QPair<int, int>, QPair<double, double>> held;
    for (int r = 0; r < aged.rowCount(); ++r)
        held.insert({aged.value(r, aged.fieldIndex(QStringLiteral("CustID"))).toInt(),
                     aged.value(r, aged.fieldIndex(QStringLiteral("GoodID"))).toInt()},
                    {aged.value(r, aged.fieldIndex(QStringLiteral("heldQty"))).toDouble(),
                     aged.value(r, aged.fieldIndex(QStringLiteral("heldMny"))).toDouble()});
    // The receivables list leaves out goods without a known unit; the ages keep them.
    QCOMPARE(lines.rowCount(), held.size() - 1);
    for (int r = 0; r < lines.rowCount(); ++r) {
        const int cust = lines.value(r, lines.fieldIndex(QStringLiteral("CustID"))).toInt();
        const int goods = lines.value(r, lines.fieldIndex(QStringLiteral("GoodID"))).toInt();
        QVERIFY(held.contains({cust, goods}));
        QCOMPARE(held.value({cust, goods}).first, lines.value(r, lines.fieldIndex(QStringLiteral("OnHand"))).toDouble());
        QCOMPARE(held.value({cust, goods}).second, lines.value(r, lines.fieldIndex(QStringLiteral("OnHandMny"))).toDouble());
        // The statement up to the last bill ends where the receivables stand.
        QVERIFY(s.open(cust, QDate(), QDate()).ok());
        QVERIFY(s.qStatement->locate(QStringLiteral("GoodID"), goods));
        QCOMPARE(s.qStatement->value(QStringLiteral("endQty")).toDouble(), held.value({cust, goods}).first);
        QCOMPARE(s.qStatement->value(QStringLiteral("endMny")).toDouble(), held.value({cust, goods}).second);
    }
}

void TestCustStatement::refusesARangeBackwards()
{
    CustStatement s(*m_db);
    const DatasetError e = s.open(1, QDate(2026, 3, 2), QDate(2026, 3, 1));
    QVERIFY(e.failed());
    QCOMPARE(e.message(), CustStatement::badRangeText());
    QVERIFY(!s.qStatement->isOpen());
    // A customer without any bill or stock has an empty statement, not an error.
    QVERIFY(s.open(99, QDate(), QDate()).ok());
    QCOMPARE(s.qStatement->rowCount(), 0);
    QCOMPARE(s.totals().endMny, 0.0);
}

void TestCustStatement::eachListReadsTheFileAgain()
{
    CustStatement s(*m_db);
    QVERIFY(s.open(1, QDate(2026, 3, 1), QDate(2026, 3, 31)).ok());
    QVERIFY(s.qStatementBills->refresh().ok()); // nothing changed yet
    QCOMPARE(s.qStatementBills->rowCount(), 3);
    // Another receipt on 03-25: goods 2, 1 at 5.
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO ChuKuDan(BookID, CustID, TabDate, KindID) VALUES ('SK-0325', 1, '2026-03-25', 3)")));
    const qint64 tab = m_db->scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO ChuKuMx(TabID, ItemNo, GoodID, Qty, Price) VALUES (?, 1, 2, 1, 5)"), {tab}));
    QVERIFY(Posting::PostGoodsChange(*m_db, BillKind::Receipt, 2, 1, 1, 5).ok());
    // Either list refreshed on its own shows the file as it is now.
    QVERIFY(s.qStatement->refresh().ok());
    QVERIFY(s.qStatement->locate(QStringLiteral("GoodID"), 2));
    QCOMPARE(s.qStatement->value(QStringLiteral("paidQty")).toDouble(), 3.0);
    QCOMPARE(s.qStatement->value(QStringLiteral("endQty")).toDouble(), 0.0);
    QVERIFY(s.qStatementBills->refresh().ok());
    QCOMPARE(billLines(s).last(), QStringLiteral("2026-03-25 收款单 1 5"));
}

void TestCustStatement::agesAcrossBandLimits_data()
{
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<int>("cust");
    QTest::addColumn<QList<double>>("ages"); // held, its amount, 0-30, 31-90, 91-180, over 180 days
    // Customer 1: the opening 5, the 10 of 2025-12-20 and 1 of 2026-02-10 went by receipts
    // (12 + 5 - 1 refunded) and 2 of it by the return; the rest of each delivery is held.
    QTest::newRow("every band, a return and a refund") << QDate(2026, 6, 30) << 1 << QList<double>{15, 118, 4, 6, 5, 0};
    QTest::newRow("a receipt partly through the oldest delivery") << QDate(2026, 6, 14) << 1 << QList<double>{17, 146, 0, 6, 11, 0};
    QTest::newRow("a bill with a time of day counts on its day") << QDate(2026, 6, 15) << 1 << QList<double>{21, 186, 4, 6, 11, 0};
    QTest::newRow("an undated delivery is the oldest") << QDate(2026, 6, 30) << 2 << QList<double>{5, 50, 2, 0, 0, 3};
    QTest::newRow("an opening balance dates from the first bill") << QDate(2026, 6, 30) << 3 << QList<double>{2, 14, 0, 0, 0, 2};
    QTest::newRow("an opening balance within 180 days") << QDate(2026, 6, 14) << 3 << QList<double>{2, 14, 0, 0, 2, 0};
}

void TestCustStatement::agesAcrossBandLimits()
{
    QFETCH(QDate, asOf);
    QFETCH(int, cust);
    QFETCH(QList<double>, ages);
    useAgeBooks();
    CustStatement s(*m_db);
    for (int only : {0, cust}) { // every customer, or the one alone
        QVERIFY(s.openAges(asOf, only).ok());
        const Dataset &a = *s.qHeldAge;
        QCOMPARE(a.rowCount(), only == 0 ? 3 : 1);
        const int row = only == 0 ? cust - 1 : 0; // by customer
        QCOMPARE(a.value(row, a.fieldIndex(QStringLiteral("CustID"))).toInt(), cust);
        QList<double> got;
        for (const char *name : {"heldQty", "heldMny", "age0", "age31", "age91", "age181"})
            got << a.value(row, a.fieldIndex(QLatin1String(name))).toDouble();
        QCOMPARE(got, ages);
        QCOMPARE(a.value(row, a.fieldIndex(QStringLiteral("Description"))).toString(), QStringLiteral("甲品"));
        QCOMPARE(a.value(row, a.fieldIndex(QStringLiteral("Unit"))).toString(), QStringLiteral("件"));
    }
}

void TestCustStatement::statementOfTheAgeBooks_data()
{
    QTest::addColumn<int>("cust");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<Figures>("figures"); // goods item 1: start, delivered, returned, paid, refunded, end
    QTest::addColumn<QStringList>("bills");
    QTest::newRow("across the carry-forward")
        << 1 << QDate(2026, 2, 1) << QDate(2026, 6, 30) << Figures{15, 150, 18, 180, 2, 20, 17, 204, 1, 12, 15, 118}
        << QStringList{QStringLiteral("2026-02-10 送货单 8 80"),       QStringLiteral("2026-03-01 收款单 12 144"),
                       QStringLiteral("2026-05-01 送货单 6 60"),       QStringLiteral("2026-06-15 09:30 送货单 4 40"),
                       QStringLiteral("2026-06-20 收款单 5 60"),       QStringLiteral("2026-06-25 收款单 -1 -12"),
                       QStringLiteral("2026-06-28 送货单 -2 -20")};
    QTest::newRow("a bill with a time of day on the last day")
        << 1 << QDate(2026, 6, 15) << QDate(2026, 6, 15) << Figures{17, 146, 4, 40, 0, 0, 0, 0, 0, 0, 21, 186}
        << QStringList{QStringLiteral("2026-06-15 09:30 送货单 4 40")};
    QTest::newRow("to the last bill") << 1 << QDate(2026, 7, 1) << QDate() << Figures{15, 118, 3, 30, 0, 0, 0, 0, 0, 0, 18, 148}
                                      << QStringList{QStringLiteral("2026-07-05 送货单 3 30")};
    QTest::newRow("every bill, the undated one first") << 2 << QDate() << QDate() << Figures{0, 0, 5, 50, 0, 0, 0, 0, 0, 0, 5, 50}
                                                       << QStringList{QStringLiteral(" 送货单 3 30"), QStringLiteral("2026-06-01 送货单 2 20")};
    QTest::newRow("an undated bill is before any range")
        << 2 << QDate(2026, 1, 1) << QDate(2026, 12, 31) << Figures{3, 30, 2, 20, 0, 0, 0, 0, 0, 0, 5, 50}
        << QStringList{QStringLiteral("2026-06-01 送货单 2 20")};
    QTest::newRow("only an opening balance") << 3 << QDate(2026, 1, 1) << QDate(2026, 12, 31)
                                             << Figures{2, 14, 0, 0, 0, 0, 0, 0, 0, 0, 2, 14} << QStringList{};
}

void TestCustStatement::statementOfTheAgeBooks()
{
    QFETCH(int, cust);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(Figures, figures);
    QFETCH(QStringList, bills);
    useAgeBooks();
    CustStatement s(*m_db);
    const DatasetError e = s.open(cust, from, to);
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QCOMPARE(read(s), (Statement{{1, figures}}));
    QCOMPARE(billLines(s), bills);
}

QTEST_GUILESS_MAIN(TestCustStatement)
#include "test_custstatement.moc"
