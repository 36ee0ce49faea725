// The bill search: which bills each combination of criteria finds, that it writes nothing to
// the file, and what the three bill lists show afterwards.
#include "core/analysis/billsearch.h"
#include "core/format/datetext.h"
#include "support/books.h"

#include <QtTest>

using namespace hemu;
using test::Books;

class TestBillSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void criteria_data();
    void criteria();
    void statementText();
    void emptyCriteriaShowEverything();
    void refusedCriteriaChangeNothing_data();
    void refusedCriteriaChangeNothing();
    void quotesAndDaysTravelBound();

private:
    QList<Dataset *> headers() { return {m_books->tab->RuKu, m_books->tab->DiaoBo, m_books->tab->ChuKu}; }
    /// "RK:1,2 DB:3 CK:" of the marks the search keeps and of the rows the lists show.
    QString marked();
    QString shown();
    /// Rows this connection has written so far, and no mark in the file.
    void checkNothingWritten(qint64 writtenBefore);
    qint64 written() { return m_books->db().scalar("SELECT total_changes()").toLongLong(); }
    std::unique_ptr<Books> m_books;
    int rk1 = 0, rk2 = 0, db1 = 0, db2 = 0, db3 = 0, ck1 = 0;
};

void TestBillSearch::init()
{
    m_books = std::make_unique<Books>();
    Books &b = *m_books;
    rk1 = b.bill(BillKind::StockIn, 2, {{1, 10, 2}}, "2026-03-02");
    rk2 = b.bill(BillKind::StockIn, 3, {{2, 10, 2}}, "2026-03-03");
    db1 = b.bill(BillKind::Delivery, 2, {{1, 1, 3}, {2, 1, 3}}, "2026-03-02");
    db2 = b.bill(BillKind::Delivery, 3, {{1, 1, 3}}, "2026-03-03");
    db3 = b.bill(BillKind::Delivery, 2, {}, "2026-03-02"); // a bill without lines
    ck1 = b.bill(BillKind::Receipt, 2, {{1, 1, 3}}, "2026-03-04");
    // Another clerk entered the second delivery; the receipt carries its time of day.
    QVERIFY(b.db().exec("UPDATE DiaoBoDan SET PersonID = 21 WHERE TabID = ?", {db2}));
    QVERIFY(b.db().exec("UPDATE ChuKuDan SET TabDate = '2026-03-04 10:30:00' WHERE TabID = ?", {ck1}));
    for (Dataset *h : headers())
        QVERIFY(h->refresh().ok());
}

void TestBillSearch::cleanup()
{
    m_books.reset();
}

QString TestBillSearch::marked()
{
    QStringList parts;
    const QStringList names = {"RK:", "DB:", "CK:"};
    for (int k = 0; k < 3; ++k) {
        QList<qint64> ids = BillSearch::marks(*headers()[k]).values();
        std::sort(ids.begin(), ids.end());
        QStringList texts;
        for (qint64 id : ids)
            texts << QString::number(id);
        parts << names[k] + texts.join(',');
    }
    return parts.join(' ');
}

void TestBillSearch::checkNothingWritten(qint64 writtenBefore)
{
    QCOMPARE(written(), writtenBefore);
    for (const char *table : {"RuKuDan", "DiaoBoDan", "ChuKuDan"})
        QCOMPARE(m_books->db().scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ForQuery <> 0").arg(table)).toInt(), 0);
}

QString TestBillSearch::shown()
{
    QStringList parts;
    const QStringList names = {"RK:", "DB:", "CK:"};
    for (int k = 0; k < 3; ++k) {
        Dataset *h = headers()[k];
        QStringList ids;
        for (int r = 0; r < h->rowCount(); ++r)
            ids << h->value(r, h->fieldIndex("TabID")).toString();
        parts << names[k] + ids.join(',');
    }
    return parts.join(' ');
}

void TestBillSearch::criteria_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("goods");
    QTest::addColumn<QString>("party");
    QTest::addColumn<QString>("person");
    QTest::addColumn<QString>("found");
    // TabIDs: stock-in 1 (vendor 2, goods 1), 2 (vendor 3, goods 2); deliveries 1 (customer 2,
    // goods 1 and 2), 2 (customer 3, goods 1, person 21), 3 (customer 2, no line); receipt 1
    // (customer 2, goods 1, on the 4th with a time).
    QTest::newRow("goods") << "" << "1" << "" << "" << "RK:1 DB:1,2 CK:1";
    QTest::newRow("goods typed with blanks") << "" << "  2   " << "" << "" << "RK:2 DB:1 CK:";
    QTest::newRow("customer finds the vendor with its number") << "" << "" << "2" << "" << "RK:1 DB:1 CK:1";
    QTest::newRow("goods and customer") << "" << "1" << "3" << "" << "RK: DB:2 CK:";
    QTest::newRow("goods and vendor") << "" << "2" << "3" << "" << "RK:2 DB: CK:";
    QTest::newRow("day: never the bill without lines") << "2026-03-02" << "" << "" << "" << "RK:1 DB:1 CK:";
    QTest::newRow("day stored with a time") << "2026-03-04" << "" << "" << "" << "RK: DB: CK:1";
    QTest::newRow("day and goods") << "2026-03-02" << "2" << "" << "" << "RK: DB:1 CK:";
    QTest::newRow("day, goods and customer") << "2026-03-03" << "1" << "3" << "" << "RK: DB:2 CK:";
    QTest::newRow("person") << "" << "" << "" << "21" << "RK: DB:2 CK:";
    QTest::newRow("person and customer") << "" << "" << "2" << "1" << "RK:1 DB:1 CK:1";
    QTest::newRow("nothing matches") << "2026-03-05" << "" << "" << "" << "RK: DB: CK:";
}

void TestBillSearch::criteria()
{
    QFETCH(QString, date);
    QFETCH(QString, goods);
    QFETCH(QString, party);
    QFETCH(QString, person);
    QFETCH(QString, found);
    // An earlier search's marks are replaced by the next one.
    const qint64 before = written();
    QVERIFY(BillSearch::run(m_books->db(), headers(), {QString(), "2", QString(), QString()}).searched);
    const QString typedDate = date.isEmpty() ? QString() : shortDateText(QDate::fromString(date, Qt::ISODate));
    const BillSearch::Outcome outcome = BillSearch::run(m_books->db(), headers(), {typedDate, goods, party, person});
    QVERIFY(outcome.searched);
    QVERIFY2(outcome.failures.isEmpty(), qPrintable(outcome.failures.join('\n')));
    QCOMPARE(marked(), found);
    QCOMPARE(shown(), found);
    for (Dataset *h : headers())
        QVERIFY(h->isFiltered());
    checkNothingWritten(before);
}

void TestBillSearch::statementText()
{
    const BillSearch::Statement st = BillSearch::findStatement(BillKind::StockIn, {QString(), "12", QString(), QString()});
    QCOMPARE(st.params, QVariantList{12});
    QCOMPARE(st.text(), QStringLiteral("SELECT DISTINCT h.TabID FROM RuKuDan h JOIN RuKuMx m ON h.TabID = m.TabID WHERE m.GoodID = 12"));
    const BillSearch::Statement all = BillSearch::findStatement(
        BillKind::Receipt, {shortDateText(QDate(2026, 3, 4)), "1", "2", "3"});
    QCOMPARE(all.params, (QVariantList{"2026-03-04", "2026-03-05", 1, 2, 3}));
    QVERIFY(all.sql.contains("FROM ChuKuDan h JOIN ChuKuMx m ON h.TabID = m.TabID WHERE h.TabDate >= ? AND h.TabDate < ? AND "
                             "m.GoodID = ? AND h.CustID = ? AND h.PersonID = ?"));
}

void TestBillSearch::emptyCriteriaShowEverything()
{
    QVERIFY(BillSearch::run(m_books->db(), headers(), {QString(), "1", QString(), QString()}).searched);
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1,2 CK:1"));
    const BillSearch::Outcome outcome = BillSearch::run(m_books->db(), headers(), {QString(), "   ", " ", QString()});
    QVERIFY(!outcome.searched);
    QVERIFY(outcome.error.isEmpty());
    QCOMPARE(shown(), QStringLiteral("RK:1,2 DB:1,2,3 CK:1"));
    // The marks stay in memory until the next search.
    QCOMPARE(marked(), QStringLiteral("RK:1 DB:1,2 CK:1"));
}

void TestBillSearch::refusedCriteriaChangeNothing_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("goods");
    QTest::addColumn<QString>("party");
    QTest::addColumn<QString>("person");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no date") << "2026-02-30" << "" << "" << "" << "异常：日期错.";
    QTest::newRow("goods code with a gap") << "" << "1 2" << "" << "" << "商品代码不存在。";
    QTest::newRow("customer code with a gap") << "" << "" << "3 4" << "" << "客户代码不存在。";
    QTest::newRow("person code with a gap") << "" << "" << "" << "2 1" << "代码不存在。";
}

void TestBillSearch::refusedCriteriaChangeNothing()
{
    QFETCH(QString, date);
    QFETCH(QString, goods);
    QFETCH(QString, party);
    QFETCH(QString, person);
    QVERIFY(BillSearch::run(m_books->db(), headers(), {QString(), "2", QString(), QString()}).searched);
    const BillSearch::Outcome outcome = BillSearch::run(m_books->db(), headers(), {date, goods, party, person});
    QVERIFY(!outcome.searched);
    QTEST(outcome.error, "warning");
    QCOMPARE(marked(), QStringLiteral("RK:2 DB:1 CK:"));
    QCOMPARE(shown(), QStringLiteral("RK:1,2 DB:1,2,3 CK:1"));
}

void TestBillSearch::quotesAndDaysTravelBound()
{
    // The stored form of a date is found as well as the short date of the window.
    QVERIFY(BillSearch::run(m_books->db(), headers(), {"2026-03-03", QString(), QString(), QString()}).searched);
    QCOMPARE(marked(), QStringLiteral("RK:2 DB:2 CK:"));
    const BillSearch::Outcome outcome = BillSearch::run(m_books->db(), headers(), {"2026-03-03' OR 1=1 --", "", "", ""});
    QVERIFY(!outcome.searched);
    QCOMPARE(marked(), QStringLiteral("RK:2 DB:2 CK:"));
}

QTEST_GUILESS_MAIN(TestBillSearch)
#include "test_billsearch.moc"
