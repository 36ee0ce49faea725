// The maintenance tools on real account sets: orphan-line scan, line renumbering, passwords.
#include "core/admin/orphanscan.h"
#include "core/admin/ownpassword.h"
#include "core/admin/renumbering.h"
#include "core/admin/userpassword.h"
#include "core/bills/bookscheck.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/filechooser.h"
#include "support/books.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace hemu;
using test::Books;

namespace {

/// Every row of `table` as text, for before/after comparisons.
QStringList rowsOf(Database &db, const QString &table, const QString &order)
{
    QStringList rows;
    QSqlQuery q = db.query(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(table, order));
    if (!q.exec())
        return {q.lastError().text()};
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << q.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QList<int> itemNos(Database &db, const QString &table, int tabId)
{
    QList<int> nos;
    QSqlQuery q = db.query(QStringLiteral("SELECT ItemNo FROM %1 WHERE TabID = ? ORDER BY GoodID").arg(table), {tabId});
    if (q.exec())
        while (q.next())
            nos << q.value(0).toInt();
    return nos;
}

void addLine(Database &db, const QString &table, int tabId, int itemNo, int goodId)
{
    QVERIFY(db.exec(QStringLiteral("INSERT INTO %1(TabID, ItemNo, GoodID, Price, Qty) VALUES (?, ?, ?, 2, 3)").arg(table),
                    {tabId, itemNo, goodId}));
}

} // namespace

class TestAdminTools : public QObject
{
    Q_OBJECT
private slots:
    void cleanSetLogsEveryPair();
    void orphansInEveryDetailTable_data();
    void orphansInEveryDetailTable();
    void renumberCloseGapsPerBill();
    void renumberCountsEveryLine_data();
    void renumberCountsEveryLine();
    void setPassword_data();
    void setPassword();
    void ownPassword_data();
    void ownPassword();
};

void TestAdminTools::cleanSetLogsEveryPair()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    const OrphanScan::Result r = OrphanScan::run(books.db(), false);
    QVERIFY(r.ok);
    QCOMPARE(r.log, QStringList({"明细孤立行的单据唯一码:", "扫描入库单", "    发现明细孤行:0个", "扫描发货单",
                                 "    发现明细孤行:0个", "扫描收款单", "    发现明细孤行:0个", "扫描完毕。"}));
}

void TestAdminTools::orphansInEveryDetailTable_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("scan") << false;
    QTest::newRow("scan and delete") << true;
}

void TestAdminTools::orphansInEveryDetailTable()
{
    QFETCH(bool, remove);
    Books books;
    Database &db = books.db();
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}, {2, 5, 1}});
    const int otherStockIn = books.bill(BillKind::StockIn, 2, {{3, 10, 2}});
    books.bill(BillKind::Delivery, 1, {{1, 4, 3}});
    // A delivery line naming a stock-in bill's number is still an orphan: each detail table
    // answers to its own headers.
    QVERIFY(!db.scalar("SELECT 1 FROM DiaoBoDan WHERE TabID = ?", {otherStockIn}).isValid());
    addLine(db, "RuKuMx", 57, 1, 1);
    addLine(db, "DiaoBoMx", otherStockIn, 1, 2);
    addLine(db, "ChuKuMx", 99, 1, 1);
    addLine(db, "ChuKuMx", 99, 2, 2);
    const QStringList goodsBefore = rowsOf(db, "Goods", "GoodID");
    const QStringList custBefore = rowsOf(db, "GoodsInCusts", "CustID, GoodID");
    QVERIFY(BooksCheck::run(db).ok);

    const OrphanScan::Result r = OrphanScan::run(db, remove);
    QVERIFY2(r.ok, qPrintable(r.error));
    const QString tail = remove ? QStringLiteral(" 删除。") : QString();
    const QString counted = remove ? QStringLiteral("    删除明细孤行:") : QStringLiteral("    发现明细孤行:");
    QCOMPARE(r.log, QStringList({"明细孤立行的单据唯一码:", "扫描入库单", "    孤行的单据标识码=57" + tail, counted + "1个",
                                 "扫描发货单", "    孤行的单据标识码=" + QString::number(otherStockIn) + tail, counted + "1个",
                                 "扫描收款单", "    孤行的单据标识码=99" + tail, "    孤行的单据标识码=99" + tail, counted + "2个",
                                 "扫描完毕。"}));
    QCOMPARE(r.found, 4);

    const int orphansLeft = db.scalar("SELECT (SELECT count(*) FROM RuKuMx WHERE TabID = 57) + "
                                      "(SELECT count(*) FROM DiaoBoMx WHERE TabID = ?) + (SELECT count(*) FROM ChuKuMx)",
                                      {otherStockIn})
                                .toInt();
    QCOMPARE(orphansLeft, remove ? 0 : 4);
    // Lines with a header stay; counters never move (the orphans never counted in them).
    QCOMPARE(db.scalar("SELECT count(*) FROM RuKuMx WHERE TabID <> 57").toInt(), 3);
    QCOMPARE(rowsOf(db, "Goods", "GoodID"), goodsBefore);
    QCOMPARE(rowsOf(db, "GoodsInCusts", "CustID, GoodID"), custBefore);
    QVERIFY(BooksCheck::run(db).ok);
    QCOMPARE(OrphanScan::run(db, false).found, remove ? 0 : 4);
}

void TestAdminTools::renumberCloseGapsPerBill()
{
    Books books;
    Database &db = books.db();
    const int a = books.bill(BillKind::StockIn, 1, {{1, 10, 2}, {2, 5, 1}, {3, 1, 1}});
    const int b = books.bill(BillKind::StockIn, 2, {{4, 10, 2}, {5, 2, 1}});
    // Gaps and an order that differs from the goods order: 7, 3, 12 for goods 1, 2, 3.
    QVERIFY(db.exec("UPDATE RuKuMx SET ItemNo = CASE GoodID WHEN 1 THEN 7 WHEN 2 THEN 3 WHEN 3 THEN 12 "
                    "WHEN 4 THEN 9 ELSE 4 END"));
    const QStringList goodsBefore = rowsOf(db, "Goods", "GoodID");
    NullProgress progress;
    const Renumbering::Result r = Renumbering::run(db, progress);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(itemNos(db, "RuKuMx", a), QList<int>({2, 1, 3}));
    QCOMPARE(itemNos(db, "RuKuMx", b), QList<int>({2, 1}));
    QCOMPARE(rowsOf(db, "Goods", "GoodID"), goodsBefore);
    QCOMPARE(r.log, QStringList({"入库明细", "----已经更新。", "发货明细", "----已经更新。", "缴款明细", "----已经更新。",
                                 "完成5条明细！请返回主窗体。", "要显示新编号，请关闭套帐再打开。"}));
    // Once more on numbered lines: the same numbers.
    QVERIFY(Renumbering::run(db, progress).ok);
    QCOMPARE(itemNos(db, "RuKuMx", a), QList<int>({2, 1, 3}));
}

void TestAdminTools::renumberCountsEveryLine_data()
{
    QTest::addColumn<int>("stockIn");
    QTest::addColumn<int>("delivery");
    QTest::addColumn<int>("receipt");
    QTest::newRow("10+4+6") << 10 << 4 << 6;
    QTest::newRow("empty tables") << 0 << 0 << 0;
    QTest::newRow("one table empty") << 3 << 0 << 1;
}

void TestAdminTools::renumberCountsEveryLine()
{
    QFETCH(int, stockIn);
    QFETCH(int, delivery);
    QFETCH(int, receipt);
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    // Two bills per table, their lines interleaved in the table.
    const auto fill = [&](const QString &table, int count) {
        for (int i = 0; i < count; ++i)
            addLine(db, table, i % 2 ? 9 : 5, 20 - i, i + 1);
    };
    fill("RuKuMx", stockIn);
    fill("DiaoBoMx", delivery);
    fill("ChuKuMx", receipt);
    NullProgress progress;
    const Renumbering::Result r = Renumbering::run(db, progress);
    QVERIFY(r.ok);
    QCOMPARE(r.log.at(r.log.size() - 2), QStringLiteral("完成%1条明细！请返回主窗体。").arg(stockIn + delivery + receipt));
    // Bill 5's lines and bill 9's lines each run 1, 2, 3...; the higher old number came later.
    const int bill5 = (stockIn + 1) / 2;
    QList<int> expected;
    for (int n = bill5; n >= 1; --n)
        expected << n;
    QCOMPARE(itemNos(db, "RuKuMx", 5), expected);
}

void TestAdminTools::setPassword_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("error");
    QTest::newRow("ten characters") << "1" << "abcdefghij" << QString();
    QTest::newRow("empty") << "1" << "" << QString();
    QTest::newRow("eleven characters") << "1" << "abcdefghijk" << "口令不能超过10个字符。";
    QTest::newRow("no such user") << "77" << "x" << "没有这个用户。";
}

void TestAdminTools::setPassword()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, error);
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    const QString before = db.scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    const qint64 id = user.toLongLong();
    QString why;
    QCOMPARE(UserPassword::set(db, id, password, &why), error.isEmpty());
    QCOMPARE(why, error);
    const QString stored = db.scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    if (error.isEmpty()) {
        QVERIFY(stored != password || password.isEmpty());
        QVERIFY(verifyPassword(password, stored));
        QVERIFY(!verifyPassword(password + "x", stored));
    } else {
        QCOMPARE(stored, before);
    }
}

void TestAdminTools::ownPassword_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("right old, equal new") << "" << "abc" << "abc" << QString();
    QTest::newRow("new and confirmation empty") << "" << "" << "" << QString();
    QTest::newRow("wrong old") << "x" << "abc" << "abc" << "原有口令不对，请重试。";
    QTest::newRow("differ by case") << "" << "Abc" << "abc" << "口令核对错，请重新输入。";
    QTest::newRow("longer than 10") << "" << "abcdefghijk" << "abcdefghijk" << "口令不能超过10个字符。";
}

void TestAdminTools::ownPassword()
{
    QFETCH(QString, old);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, refusal);
    Books books;
    Dataset &psd = *books.base->Psd;
    QVERIFY(OwnPassword::gotoUser(psd, 1));
    QVERIFY(!OwnPassword::gotoUser(psd, 77));
    QVERIFY(OwnPassword::gotoUser(psd, 1));
    QCOMPARE(OwnPassword::oldMatches(psd, old), old.isEmpty());
    QCOMPARE(OwnPassword::change(psd, old, newPassword, confirmation), refusal);
    const QString stored = books.db().scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    // Refused: the old (empty) password still logs in; changed: only the new one does.
    QVERIFY(verifyPassword(refusal.isEmpty() ? newPassword : QString(), stored));
    QCOMPARE(verifyPassword("abc", stored), refusal.isEmpty() && newPassword == "abc");
    QVERIFY(!psd.isEditing());
}

QTEST_GUILESS_MAIN(TestAdminTools)
#include "test_admintools.moc"
