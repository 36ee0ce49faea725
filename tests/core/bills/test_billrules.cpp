// Bills entered through the data modules: defaults, numbering, checks, totals, posting of
// every line change and whole-bill deletes, with the program's own messages.
#include "core/bills/bookscheck.h"
#include "core/format/datetext.h"
#include "support/books.h"

#include <QtTest>

using namespace hemu;
using test::Books;
using test::exact;

class TestBillRules : public QObject
{
    Q_OBJECT
private slots:
    void newHeaderDefaults_data();
    void newHeaderDefaults();
    void itemNumbers_data();
    void itemNumbers();
    void singlePrecisionTotal();
    void negativePriceRemovesTheLine();
    void counterparty();
    void postingThroughLines();
    void editOnlyThePrice();
    void moveLineToAnotherItem();
    void zeroQuantityPostsNothing();
    void postingDropsTheStockViewFilter();
    void viewsShowTheNewCounters();
    void deleteWholeBill_data();
    void deleteWholeBill();
    void answeringNoKeepsTheBill();
    void refusedRows();
    void invoices();
};

void TestBillRules::newHeaderDefaults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("stock-in") << 1 << "RK-";
    QTest::newRow("delivery") << 2 << "CK-";
    QTest::newRow("receipt") << 3 << "SK-";
}

void TestBillRules::newHeaderDefaults()
{
    QFETCH(int, kind);
    QFETCH(QString, prefix);
    Books books;
    books.base->user().CurUserID = 4;
    Dataset *h = books.tab->header(BillKind(kind));
    QVERIFY(h->append().ok());
    const QDate today = QDate::currentDate();
    QCOMPARE(h->value("BookID").toString(), prefix + billDateText(today));
    QCOMPARE(h->value("TabDate").toString(), isoDateText(today));
    QCOMPARE(h->value("RegDate").toString(), isoDateText(today));
    QCOMPARE(h->value("PersonID").toInt(), 4);
    QCOMPARE(h->value("KindID").toInt(), kind);
    QCOMPARE(h->value("SumMoney").toDouble(), 0.0);
    QVERIFY(h->setValue("CustID", 1).ok());
    QVERIFY(h->post().ok());
    // A second bill of the same day gets the same number: it is not unique.
    QVERIFY(h->append().ok());
    QCOMPARE(h->value("BookID").toString(), prefix + billDateText(today));
    QVERIFY(h->setValue("CustID", 2).ok());
    QVERIFY(h->post().ok());
    QCOMPARE(books.db().scalar(QString("SELECT count(DISTINCT BookID) FROM %1").arg(headerTable(BillKind(kind)))).toInt(), 1);
}

void TestBillRules::itemNumbers_data()
{
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("next");
    QTest::newRow("none deleted") << 0 << 4;
    QTest::newRow("last deleted is reused") << 3 << 3;
    QTest::newRow("a middle one is not") << 2 << 4;
}

void TestBillRules::itemNumbers()
{
    QFETCH(int, deleted);
    QFETCH(int, next);
    Books books;
    const int tab = books.bill(BillKind::Delivery, 1, {{1, 1, 1}});
    QCOMPARE(books.tab->DiaoBoMx->value("ItemNo").toInt(), 1);
    QVERIFY(books.line(BillKind::Delivery, {2, 1, 1}).ok());
    QVERIFY(books.line(BillKind::Delivery, {3, 1, 1}).ok());
    if (deleted) {
        QVERIFY(books.gotoLine(BillKind::Delivery, deleted));
        QVERIFY(books.tab->DiaoBoMx->remove().ok());
        QCOMPARE(books.prompter.lastText(), QString("确实要删除吗?"));
    }
    QVERIFY(books.line(BillKind::Delivery, {4, 1, 1}).ok());
    QCOMPARE(books.tab->DiaoBoMx->value("ItemNo").toInt(), next);
    QCOMPARE(books.tab->DiaoBoMx->value("TabID").toInt(), tab);
}

void TestBillRules::singlePrecisionTotal()
{
    Books books;
    const int tab = books.bill(BillKind::StockIn, 1, {{1, 1, 1234567.89}});
    QCOMPARE(exact(books.db().scalar("SELECT SumMoney FROM RuKuDan WHERE TabID = ?", {tab}).toDouble()), exact(1234567.875));
    QCOMPARE(exact(books.tab->RuKu->value("SumMoney").toDouble()), exact(1234567.875));
    QVERIFY(books.line(BillKind::StockIn, {2, 3, 0.1}).ok());
    // Each product in double, the running sum rounded to single precision after each step.
    const double expected = double(float(1234567.875 + 3 * 0.1));
    QCOMPARE(exact(books.tab->RuKu->value("SumMoney").toDouble()), exact(expected));
}

void TestBillRules::negativePriceRemovesTheLine()
{
    Books books;
    const int tab = books.bill(BillKind::StockIn, 1, {{1, 2, 5}});
    Dataset *d = books.tab->RuKuMx;
    QVERIFY(d->append().ok());
    QVERIFY(d->setValue("GoodID", 2).ok());
    QVERIFY(d->setValue("Price", -1).failed());
    QCOMPARE(books.prompter.lastText(), QString("价格不能<0 !"));
    QCOMPARE(d->state(), Dataset::State::Browse);
    QCOMPARE(d->rowCount(), 1);
    // On an edited line the old values come back.
    QVERIFY(books.gotoLine(BillKind::StockIn, 1));
    QVERIFY(d->edit().ok());
    QVERIFY(d->setValue("Qty", 7).ok());
    QVERIFY(d->setValue("Price", -0.5).failed());
    QCOMPARE(d->value("Qty").toDouble(), 2.0);
    QCOMPARE(books.goods("HandInc", 1), 2.0);
    // Zero is a price.
    QVERIFY(books.line(BillKind::StockIn, {3, 1, 0}).ok());
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuMx WHERE TabID = ?", {tab}).toInt(), 2);
}

void TestBillRules::counterparty()
{
    Books books;
    const QString locked = "字段验证:单据已经包含明细项，不能修改。若一定要修改，清先删除此单据，然后重新录入。";
    Dataset *h = books.tab->DiaoBo;
    // A new, unposted delivery bill may change its customer freely.
    QVERIFY(h->append().ok());
    QVERIFY(h->setValue("CustID", 1).ok());
    QVERIFY(h->setValue("CustID", 2).ok());
    QVERIFY(h->post().ok());
    // Posted without lines: still allowed.
    QVERIFY(h->edit().ok());
    QVERIFY(h->setValue("CustID", 3).ok());
    QVERIFY(h->post().ok());
    // With a line it is refused and the value stays.
    QVERIFY(books.line(BillKind::Delivery, {1, 1, 1}).ok());
    QVERIFY(h->edit().ok());
    QVERIFY(h->setValue("CustID", 4).failed());
    QCOMPARE(books.prompter.lastText(), locked);
    QCOMPARE(h->value("CustID").toInt(), 3);
    h->cancel();
    // The vendor of a stock-in bill with lines may change.
    books.bill(BillKind::StockIn, 1, {{1, 1, 1}});
    QVERIFY(books.tab->RuKu->edit().ok());
    QVERIFY(books.tab->RuKu->setValue("CustID", 2).ok());
    QVERIFY(books.tab->RuKu->post().ok());
}

void TestBillRules::postingThroughLines()
{
    Books books;
    const int in = books.bill(BillKind::StockIn, 1, {{1, 10, 2.5}});
    QCOMPARE(books.goods("HandInc", 1), 10.0);
    QCOMPARE(books.goods("HandIncMny", 1), 25.0);
    QCOMPARE(books.goods("CostPrice", 1), 2.5);
    const int out = books.bill(BillKind::Delivery, 5, {{1, 4, 3}});
    books.bill(BillKind::Receipt, 5, {{1, 3, 3.2}});
    QCOMPARE(exact(books.goods("SoldMny", 1)), exact(9.600000143051147));
    QCOMPARE(exact(books.cust("PrevOnHandMny + HandIncMny - SoldMny", 1, 5).toDouble()), exact(2.3999998569488525));
    // Editing the delivery line to 5 x 3.
    QVERIFY(books.gotoBill(BillKind::Delivery, out));
    QVERIFY(books.gotoLine(BillKind::Delivery, 1));
    QVERIFY(books.tab->DiaoBoMx->edit().ok());
    QVERIFY(books.tab->DiaoBoMx->setValue("Qty", 5).ok());
    QVERIFY(books.tab->DiaoBoMx->post().ok());
    QCOMPARE(books.goods("CustHandInc", 1), 5.0);
    QCOMPARE(books.goods("CustHandIncMny", 1), 15.0);
    QCOMPARE(books.cust("HandInc", 1, 5).toDouble(), 5.0);
    QCOMPARE(books.db().scalar("SELECT SumMoney FROM DiaoBoDan WHERE TabID = ?", {out}).toDouble(), 15.0);
    // Deleting the stock-in line: back to zero, the cost price stays.
    QVERIFY(books.gotoBill(BillKind::StockIn, in));
    QVERIFY(books.gotoLine(BillKind::StockIn, 1));
    QVERIFY(books.tab->RuKuMx->remove().ok());
    QCOMPARE(books.goods("HandInc", 1), 0.0);
    QCOMPARE(books.goods("HandIncMny", 1), 0.0);
    QCOMPARE(books.goods("CostPrice", 1), 2.5);
    QCOMPARE(books.db().scalar("SELECT SumMoney FROM RuKuDan WHERE TabID = ?", {in}).toDouble(), 0.0);
    QVERIFY(BooksCheck::run(books.db()).ok);
}

void TestBillRules::editOnlyThePrice()
{
    Books books;
    books.bill(BillKind::Delivery, 2, {{1, 5, 3}});
    const double before = books.goods("CustHandIncMny", 1);
    QVERIFY(books.tab->DiaoBoMx->edit().ok());
    QVERIFY(books.tab->DiaoBoMx->setValue("Price", 4).ok());
    QVERIFY(books.tab->DiaoBoMx->post().ok());
    QCOMPARE(books.goods("CustHandIncMny", 1) - before, 5.0);
    QCOMPARE(books.goods("CustHandInc", 1), 5.0);
    QCOMPARE(books.goods("SellPrice", 1), 4.0);
    // An edit that changes nothing posts nothing: the price stays that of the last posting.
    QVERIFY(books.db().exec("UPDATE Goods SET SellPrice = 99 WHERE GoodID = 1"));
    QVERIFY(books.tab->DiaoBoMx->edit().ok());
    QVERIFY(books.tab->DiaoBoMx->setValue("Qty", 5).ok());
    QVERIFY(books.tab->DiaoBoMx->post().ok());
    QCOMPARE(books.goods("SellPrice", 1), 99.0);
}

void TestBillRules::moveLineToAnotherItem()
{
    Books books;
    books.bill(BillKind::Receipt, 3, {{1, 2, 10}});
    QVERIFY(books.tab->ChuKuMx->edit().ok());
    QVERIFY(books.tab->ChuKuMx->setValue("GoodID", 2).ok());
    QVERIFY(books.tab->ChuKuMx->post().ok());
    QCOMPARE(books.goods("Sold", 1), 0.0);
    QCOMPARE(books.goods("Sold", 2), 2.0);
    QCOMPARE(books.cust("Sold", 1, 3).toDouble(), 0.0);
    QCOMPARE(books.cust("Sold", 2, 3).toDouble(), 2.0);
    // A first receipt for an item never delivered leaves negative customer stock.
    QCOMPARE(books.cust("PrevOnHand + HandInc - Sold", 2, 3).toDouble(), -2.0);
}

void TestBillRules::zeroQuantityPostsNothing()
{
    Books books;
    QVERIFY(books.db().exec("UPDATE Goods SET CostPrice = 7 WHERE GoodID = 1"));
    books.bill(BillKind::StockIn, 1, {{1, 0, 3}});
    QCOMPARE(books.goods("CostPrice", 1), 7.0);
    QCOMPARE(books.goods("HandInc", 1), 0.0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuMx").toInt(), 1);
}

void TestBillRules::postingDropsTheStockViewFilter()
{
    Books books;
    QVERIFY(books.tab->Goods->setFilter("GoodID = 3").ok());
    QVERIFY(books.tab->Goods->setFiltered(true).ok());
    QCOMPARE(books.tab->Goods->rowCount(), 1);
    books.bill(BillKind::StockIn, 1, {{1, 1, 1}});
    QVERIFY(!books.tab->Goods->isFiltered());
    QCOMPARE(books.tab->Goods->rowCount(), 5);
}

void TestBillRules::viewsShowTheNewCounters()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{2, 10, 2}});
    books.bill(BillKind::Delivery, 4, {{2, 3, 5}});
    Dataset *goods = books.tab->Goods;
    QVERIFY(goods->locate("GoodID", 2));
    QCOMPARE(goods->value("HandInc").toDouble(), 10.0);
    QCOMPARE(goods->value("OnHand").toDouble(), 7.0);
    QCOMPARE(goods->value("OnCustHand").toDouble(), 3.0);
    QVERIFY(books.base->lkGoods->locate("GoodID", 2));
    QCOMPARE(books.base->lkGoods->value("OnHand").toDouble(), 7.0);
    // The customer row that the delivery created shows in the per-customer view.
    QVERIFY(books.tab->GoodsInCusts->locate(QStringList{"GoodID", "CustID"}, QVariantList{2, 4}));
    QCOMPARE(books.tab->GoodsInCusts->value("OnHandMny").toDouble(), 15.0);
    // And the bill header shows its total.
    QCOMPARE(books.tab->DiaoBo->value("SumMoney").toDouble(), 15.0);
}

void TestBillRules::deleteWholeBill_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("three lines") << 3;
    QTest::newRow("no lines") << 0;
}

void TestBillRules::deleteWholeBill()
{
    QFETCH(int, lines);
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 1}, {2, 10, 1}, {3, 10, 1}});
    QList<Books::Line> content;
    for (int i = 1; i <= lines; ++i)
        content << Books::Line{i, double(i), 2.0};
    const int tab = books.bill(BillKind::Delivery, 2, content);
    books.prompter.clear();
    QVERIFY(books.tab->DiaoBo->remove().ok());
    QCOMPARE(books.prompter.texts(), QStringList({"确实要删除吗？", "单据已经删除。"}));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM DiaoBoDan WHERE TabID = ?", {tab}).toInt(), 0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM DiaoBoMx WHERE TabID = ?", {tab}).toInt(), 0);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(books.goods("CustHandInc", i), 0.0);
        QCOMPARE(books.goods("HandInc", i), 10.0);
    }
    QVERIFY(!books.tab->DiaoBo->locate("TabID", tab));
    QVERIFY(BooksCheck::run(books.db()).ok);
}

void TestBillRules::answeringNoKeepsTheBill()
{
    Books books;
    const int tab = books.bill(BillKind::Delivery, 2, {{1, 1, 1}, {2, 1, 1}});
    books.prompter.queueAnswer(false);
    QVERIFY(books.tab->DiaoBo->remove().isRefused());
    books.prompter.queueAnswer(false);
    QVERIFY(books.tab->DiaoBoMx->remove().isRefused());
    QCOMPARE(books.db().scalar("SELECT count(*) FROM DiaoBoMx WHERE TabID = ?", {tab}).toInt(), 2);
    QCOMPARE(books.goods("CustHandInc", 1), 1.0);
}

void TestBillRules::refusedRows()
{
    Books books;
    Dataset *h = books.tab->RuKu;
    QVERIFY(h->append().ok());
    QVERIFY(h->setValue("CustID", 1).ok());
    QVERIFY(h->setValue("BookID", "  ").ok());
    QVERIFY(h->post().failed());
    QCOMPARE(books.prompter.lastText(), QString("数据库:要求原始凭证。"));
    QCOMPARE(h->state(), Dataset::State::Browse);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuDan").toInt(), 0);

    books.bill(BillKind::StockIn, 1, {{1, 5, 1}});
    QVERIFY(books.line(BillKind::StockIn, {1, 7, 1}).failed());
    QCOMPARE(books.prompter.lastText(), QString("数据库:禁止单据中重复出现相同品名型号。"));
    QCOMPARE(books.tab->RuKuMx->state(), Dataset::State::Browse);
    // The refused line was not posted into the counters.
    QCOMPARE(books.goods("HandInc", 1), 5.0);
}

void TestBillRules::invoices()
{
    Books books;
    const int tab = books.bill(BillKind::StockIn, 2, {{1, 1, 100.10}, {2, 1, 200.20}});
    Dataset *inv = books.tab->Invoices;
    Dataset *lines = books.tab->InvoiceMx;
    QVERIFY(inv->append().ok());
    QCOMPARE(inv->value("TabID").toInt(), tab);
    QVERIFY(inv->setValue("invoice", "F-1").ok());
    QVERIFY(inv->post().ok());
    for (double money : {100.10, 200.20}) {
        QVERIFY(lines->append().ok());
        QVERIFY(lines->setValue("GoodID", money < 150 ? 1 : 2).ok());
        QVERIFY(lines->setValue("paidmny", money).ok());
        QVERIFY(lines->post().ok());
    }
    QCOMPARE(exact(inv->value("totalmny").toDouble()), exact(300.29998779296875));
    books.prompter.clear();
    QVERIFY(lines->remove().ok());
    QVERIFY(lines->remove().ok());
    QCOMPARE(books.prompter.texts(), QStringList({"确实要删除吗？", "确实要删除吗？"}));
    QCOMPARE(inv->value("totalmny").toDouble(), 0.0);

    // A second invoice with the same number is refused.
    books.bill(BillKind::StockIn, 3, {{3, 1, 1}});
    QVERIFY(inv->append().ok());
    QVERIFY(inv->setValue("invoice", "F-1").ok());
    QVERIFY(inv->post().failed());
    QCOMPARE(books.prompter.lastText(), QString("数据库:发票号已经存在，本发票号重复，请重新录入。"));

    // Deleting the invoice directly asks its own question.
    QVERIFY(books.gotoBill(BillKind::StockIn, tab));
    QCOMPARE(inv->rowCount(), 1);
    books.prompter.queueAnswer(false);
    QVERIFY(inv->remove().isRefused());
    QCOMPARE(books.prompter.lastText(), QString("确实删除发票吗？"));

    // Deleting the bill takes the invoice and its lines along, asking once.
    QVERIFY(lines->append().ok());
    QVERIFY(lines->setValue("paidmny", 5).ok());
    QVERIFY(lines->post().ok());
    books.prompter.clear();
    QVERIFY(books.tab->RuKu->remove().ok());
    QCOMPARE(books.prompter.texts(), QStringList({"确实要删除吗？", "单据已经删除。"}));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Invoices WHERE TabID = ?", {tab}).toInt(), 0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM InvoiceMx WHERE TabID = ?", {tab}).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestBillRules)
#include "test_billrules.moc"
