// The books hold under many random line changes, under writes that fail half-way through
// an action, and with two programs posting to one file at the same time.
#include "core/bills/bookscheck.h"
#include "core/filechooser.h"
#include "support/books.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

using namespace hemu;
using test::Books;

class TestBillsStress : public QObject
{
    Q_OBJECT
private slots:
    void randomLineChanges();
    void failingWrites_data();
    void failingWrites();
    void twoProgramsPostingAtOnce();

private:
    static QString snapshot(Database &db);
};

QString TestBillsStress::snapshot(Database &db)
{
    return db.scalar("SELECT (SELECT group_concat(GoodID || ':' || HandInc || ':' || HandIncMny || ':' || CustHandInc || ':' || Sold || ':' "
                     "|| CostPrice || ':' || SellPrice) FROM Goods) || '/' || "
                     "(SELECT group_concat(GoodID || ':' || CustID || ':' || HandInc || ':' || Sold) FROM GoodsInCusts) || '/' || "
                     "(SELECT group_concat(TabID || ':' || SumMoney) FROM RuKuDan) || (SELECT group_concat(TabID || ':' || SumMoney) FROM DiaoBoDan) || "
                     "(SELECT count(*) FROM RuKuMx) || ':' || (SELECT count(*) FROM DiaoBoMx) || ':' || (SELECT count(*) FROM ChuKuMx) || ':' || "
                     "(SELECT count(*) FROM Invoices)")
        .toString();
}

void TestBillsStress::randomLineChanges()
{
    Books books(12);
    QRandomGenerator rng(20261210);
    const BillKind kinds[] = {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt};
    QList<int> bills[3];
    for (int k = 0; k < 3; ++k)
        for (int b = 0; b < 4; ++b)
            bills[k] << books.bill(kinds[k], 1 + b, {});
    auto randomQty = [&] { return (rng.bounded(2000) - 400) / 10.0; };       // negatives are returns
    auto randomPrice = [&] { return rng.bounded(100000) / 100.0 + 0.01; };
    int posted = 0;
    for (int batch = 0; batch < 30; ++batch) {
        for (int step = 0; step < 100; ++step) {
            const int k = rng.bounded(3);
            const BillKind kind = kinds[k];
            QVERIFY(books.gotoBill(kind, bills[k][rng.bounded(4)]));
            Dataset *d = books.tab->detail(kind);
            const int action = rng.bounded(10);
            if (action < 5 || d->rowCount() == 0) {
                // A goods item the bill already has is refused, as it should be.
                if (books.line(kind, {1 + int(rng.bounded(12)), randomQty(), randomPrice()}).ok())
                    ++posted;
            } else if (action < 8) {
                QVERIFY(d->setCurrentRow(rng.bounded(d->rowCount())));
                QVERIFY(d->edit().ok());
                if (rng.bounded(2))
                    d->setValue("Qty", randomQty());
                if (rng.bounded(2))
                    d->setValue("Price", randomPrice());
                if (rng.bounded(4) == 0)
                    d->setValue("GoodID", 1 + int(rng.bounded(12)));
                if (d->post().failed())
                    d->cancel();
            } else {
                QVERIFY(d->setCurrentRow(rng.bounded(d->rowCount())));
                QVERIFY(d->remove().ok());
            }
        }
        const BooksCheck::Report report = BooksCheck::run(books.db());
        QVERIFY2(report.ok, qPrintable(report.differences.mid(0, 5).join('\n') + report.error));
        // The stock view agrees with the table after every batch.
        Dataset *goods = books.tab->Goods;
        for (int id : {1, 5, 12}) {
            QVERIFY(goods->locate("GoodID", id));
            QCOMPARE(goods->value("HandInc").toDouble(), books.goods("HandInc", id));
            QCOMPARE(goods->value("SoldMny").toDouble(), books.goods("SoldMny", id));
        }
    }
    QVERIFY(posted > 500);
}

void TestBillsStress::failingWrites_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("trigger");
    const QString failCust = "CREATE TRIGGER fail BEFORE UPDATE ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("line post, new customer row fails")
        << "post" << "CREATE TRIGGER fail BEFORE INSERT ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("line post, bill total fails")
        << "post" << "CREATE TRIGGER fail BEFORE UPDATE OF SumMoney ON DiaoBoDan BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("line edit, customer row fails") << "edit" << failCust;
    QTest::newRow("line delete, customer row fails") << "delete-line" << failCust;
    QTest::newRow("bill delete, third line fails")
        << "delete-bill" << "CREATE TRIGGER fail BEFORE DELETE ON DiaoBoMx WHEN old.ItemNo = 3 BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("stock-in bill delete, invoice fails")
        << "delete-stockin" << "CREATE TRIGGER fail BEFORE DELETE ON Invoices BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("recalc, customer sums fail") << "recalc" << "CREATE TRIGGER fail BEFORE INSERT ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("carry forward, customer rows fail") << "carry" << failCust;
}

void TestBillsStress::failingWrites()
{
    QFETCH(QString, action);
    QFETCH(QString, trigger);
    Books books;
    const int in = books.bill(BillKind::StockIn, 1, {{1, 10, 2}, {2, 10, 2}});
    QVERIFY(books.tab->Invoices->append().ok());
    QVERIFY(books.tab->Invoices->setValue("invoice", "F-9").ok());
    QVERIFY(books.tab->Invoices->post().ok());
    const int out = books.bill(BillKind::Delivery, 3, {{1, 1, 5}, {2, 2, 5}, {3, 3, 5}});
    QVERIFY(books.db().exec(trigger));
    const QString before = snapshot(books.db());
    books.prompter.clear();

    Dataset *lines = books.tab->DiaoBoMx;
    if (action == "post") {
        QVERIFY(books.line(BillKind::Delivery, {4, 7, 5}).failed());
        // The line is still pending with what was typed.
        QCOMPARE(lines->state(), Dataset::State::Insert);
        QCOMPARE(lines->value("Qty").toDouble(), 7.0);
        QCOMPARE(lines->value("GoodID").toInt(), 4);
        lines->cancel();
    } else if (action == "edit") {
        QVERIFY(books.gotoLine(BillKind::Delivery, 2));
        QVERIFY(lines->edit().ok());
        QVERIFY(lines->setValue("Qty", 9).ok());
        QVERIFY(lines->post().failed());
        QCOMPARE(lines->state(), Dataset::State::Edit);
        QCOMPARE(lines->value("Qty").toDouble(), 9.0);
        lines->cancel();
        QCOMPARE(lines->value("Qty").toDouble(), 2.0);
    } else if (action == "delete-line") {
        QVERIFY(books.gotoLine(BillKind::Delivery, 2));
        QVERIFY(lines->remove().failed());
        QCOMPARE(lines->rowCount(), 3);
    } else if (action == "delete-bill") {
        QVERIFY(books.tab->DiaoBo->remove().failed());
        QVERIFY(books.gotoBill(BillKind::Delivery, out));
        QCOMPARE(lines->rowCount(), 3);
        QVERIFY(!books.prompter.texts().contains("单据已经删除。"));
    } else if (action == "delete-stockin") {
        QVERIFY(books.gotoBill(BillKind::StockIn, in));
        QVERIFY(books.tab->RuKu->remove().failed());
        QVERIFY(books.gotoBill(BillKind::StockIn, in));
        QCOMPARE(books.tab->RuKuMx->rowCount(), 2);
    } else if (action == "recalc") {
        NullProgress progress;
        QVERIFY(!books.tab->RecalcTotals("2000-01-01", "2100-01-01", progress));
    } else if (action == "carry") {
        QVERIFY(!books.tab->CarryForward());
        QCOMPARE(books.prompter.lastText(), QString("异常：结转处理失败!"));
    }
    QCOMPARE(snapshot(books.db()), before);
    QCOMPARE(books.db().transactionDepth(), 0);
    // The user is told; nothing claims success.
    QVERIFY(!books.prompter.texts().isEmpty() || action == "recalc");
    QVERIFY(!books.prompter.texts().contains("单据已经删除。"));
    QVERIFY(!books.prompter.texts().contains("结转完毕！"));
    QVERIFY(books.db().exec("DROP TRIGGER fail"));
    QVERIFY(BooksCheck::run(books.db()).ok);
    // The views still show what the file holds.
    QVERIFY(books.tab->Goods->locate("GoodID", 2));
    QCOMPARE(books.tab->Goods->value("CustHandInc").toDouble(), books.goods("CustHandInc", 2));
}

void TestBillsStress::twoProgramsPostingAtOnce()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        for (int i = 1; i <= 20; ++i)
            QVERIFY(db.exec("INSERT INTO Goods(GoodID, Description) VALUES (?, ?)", {i, QString("G%1").arg(i)}));
        QVERIFY(db.exec("INSERT INTO Customers(CustID, CustName) VALUES (1, 'a'), (2, 'b')"));
    }
    // Each program enters its own bills; all of them move the same goods counters.
    auto script = [](int party) {
        QByteArray ops;
        for (int b = 0; b < 15; ++b) {
            QByteArray lines;
            for (int g = 1; g <= 20; ++g)
                lines += QString("%1{\"goods\":%2,\"qty\":%3,\"price\":1.5}").arg(g > 1 ? "," : "").arg(g).arg(party).toUtf8();
            ops += QString("{\"op\":\"bill\",\"kind\":2,\"party\":%1,\"date\":\"2026-04-01\",\"lines\":[%2]}\n")
                       .arg(party)
                       .arg(QString::fromUtf8(lines))
                       .toUtf8();
        }
        return ops;
    };
    QProcess first, second;
    for (QProcess *p : {&first, &second})
        p->start(qEnvironmentVariable("HEMU_CLI"), {"exec", set.path()});
    QVERIFY(first.waitForStarted() && second.waitForStarted());
    first.write(script(1));
    second.write(script(2));
    first.closeWriteChannel();
    second.closeWriteChannel();
    QVERIFY(first.waitForFinished(300000) && second.waitForFinished(300000));
    const QByteArray out = first.readAllStandardOutput() + second.readAllStandardOutput();
    QCOMPARE(out.count("\"ok\":true"), 30);

    Database db;
    QVERIFY(db.open(set.path()));
    // 15 bills of quantity 1 and 15 of quantity 2 for every item: nothing lost.
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods WHERE CustHandInc = 45 AND CustHandIncMny = 67.5").toInt(), 20);
    QCOMPARE(db.scalar("SELECT sum(HandInc) FROM GoodsInCusts WHERE CustID = 2").toDouble(), 600.0);
    QVERIFY(BooksCheck::run(db).ok);
}

QTEST_GUILESS_MAIN(TestBillsStress)
#include "test_billsstress.moc"
