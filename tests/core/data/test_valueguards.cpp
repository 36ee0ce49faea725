// Values the rules refuse before anything is written: parties and goods that are not on
// file, values single precision cannot hold, dates that are no dates or lie in a closed
// period, keys in use, the last ways into the books, counters that follow the bills.
#include "core/bills/billvalues.h"
#include "core/bills/bookscheck.h"
#include "core/data/billguard.h"
#include "core/data/invoiceentry.h"
#include "core/data/masterguard.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"
#include "support/books.h"

#include <QtTest>

using namespace hemu;
using test::Books;

class TestValueGuards : public QObject
{
    Q_OBJECT
private slots:
    void billRefusals_data();
    void billRefusals();
    void editLineToMissingGoods();
    void editingALargeLineCountsItOnce();
    void closedPeriod();
    void keyChangeOfRowsInUse_data();
    void keyChangeOfRowsInUse();
    void goodsCodeChangeReReadsBothRows();
    void userDeletes();
    void goodsCountersFollowTheBills_data();
    void goodsCountersFollowTheBills();
    void emptyPasswordHashIsRefused();
    void invoiceIsWhole_data();
    void invoiceIsWhole();
    void secondInvoiceForABill();
    void recalcRefusesDatesThatAreNotDates_data();
    void recalcRefusesDatesThatAreNotDates();
};

void TestValueGuards::billRefusals_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("party");
    QTest::addColumn<QVariant>("date");
    QTest::addColumn<int>("goods");
    QTest::addColumn<double>("qty");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("atHeader");
    // Books has goods 1..5 and customers and vendors 1..5; vendor 9 and customer 8 only
    // exist as the other kind of party.
    const QVariant day("2026-03-02");
    QTest::newRow("customer not on file") << 2 << 99 << day << 1 << 1.0 << 1.0 << "客户代码不存在。客户编码99" << true;
    QTest::newRow("vendor on a delivery") << 2 << 9 << day << 1 << 1.0 << 1.0 << "客户代码不存在。客户编码9" << true;
    QTest::newRow("vendor on a receipt") << 3 << 9 << day << 1 << 1.0 << 1.0 << "客户代码不存在。客户编码9" << true;
    QTest::newRow("no customer") << 3 << 0 << day << 1 << 1.0 << 1.0 << "请先填入供货方或收货方。" << true;
    QTest::newRow("customer on a stock-in") << 1 << 8 << day << 1 << 1.0 << 1.0 << "供货方代码不存在。供货方编码8" << true;
    QTest::newRow("empty date") << 1 << 1 << QVariant("") << 1 << 1.0 << 1.0 << BillValues::badDateText() << true;
    QTest::newRow("no date") << 2 << 1 << QVariant() << 1 << 1.0 << 1.0 << BillValues::badDateText() << true;
    QTest::newRow("goods 999") << 1 << 1 << day << 999 << 1.0 << 1.0 << "商品代码不存在。商品编码999" << false;
    QTest::newRow("goods -1") << 2 << 1 << day << -1 << 1.0 << 1.0 << "商品代码不存在。商品编码-1" << false;
    QTest::newRow("qty 1e39") << 2 << 1 << day << 1 << 1e39 << 1.0 << BillValues::tooLargeText() << false;
    QTest::newRow("price 1e308") << 3 << 1 << day << 1 << 1.0 << 1e308 << BillValues::tooLargeText() << false;
    QTest::newRow("amount 3.4e38 x 2") << 1 << 1 << day << 1 << 3.4e38 << 2.0 << BillValues::tooLargeText() << false;
}

void TestValueGuards::billRefusals()
{
    QFETCH(int, kind);
    QFETCH(int, party);
    QFETCH(QVariant, date);
    QFETCH(int, goods);
    QFETCH(double, qty);
    QFETCH(double, price);
    QFETCH(QString, refusal);
    QFETCH(bool, atHeader);
    Books books;
    books.db().exec("INSERT INTO Vendors(VendorID, VendorName) VALUES (9, 'V9')");
    books.db().exec("INSERT INTO Customers(CustID, CustName) VALUES (8, 'C8')");
    Dataset *h = books.tab->header(BillKind(kind));
    Dataset *d = books.tab->detail(BillKind(kind));
    QVERIFY(h->append().ok());
    QVERIFY(h->setValue("CustID", party).ok());
    QVERIFY(h->setValue("TabDate", date).ok());
    const DatasetError header = h->post();
    if (atHeader) {
        QVERIFY(header.isRefused());
        QCOMPARE(books.prompter.lastText(), refusal);
        QCOMPARE(h->state(), Dataset::State::Insert); // what was typed stays to be corrected
        QCOMPARE(books.db().scalar(QString("SELECT count(*) FROM %1").arg(headerTable(BillKind(kind)))).toInt(), 0);
        return;
    }
    QVERIFY(header.ok());
    QVERIFY(books.line(BillKind(kind), {goods, qty, price}).isRefused());
    QCOMPARE(books.prompter.lastText(), refusal);
    QCOMPARE(d->state(), Dataset::State::Insert);
    d->cancel();
    QCOMPARE(books.db().scalar(QString("SELECT count(*) FROM %1").arg(detailTable(BillKind(kind)))).toInt(), 0);
    QCOMPARE(books.db().scalar("SELECT sum(abs(HandInc) + abs(CustHandInc) + abs(Sold) + abs(HandIncMny)) FROM Goods").toDouble(), 0.0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 0);
    QCOMPARE(books.db().scalar(QString("SELECT SumMoney FROM %1").arg(headerTable(BillKind(kind)))).toDouble(), 0.0);
}

void TestValueGuards::editLineToMissingGoods()
{
    Books books;
    books.bill(BillKind::Delivery, 2, {{1, 4, 3}});
    QVERIFY(books.gotoLine(BillKind::Delivery, 1));
    Dataset *d = books.tab->DiaoBoMx;
    QVERIFY(d->edit().ok());
    QVERIFY(d->setValue("GoodID", 999).ok());
    QVERIFY(d->post().isRefused());
    QCOMPARE(books.prompter.lastText(), BillGuard::goodsMissingText(999));
    d->cancel();
    // The old goods keeps its posting; nothing went to a goods item that is not there.
    QCOMPARE(books.goods("CustHandInc", 1), 4.0);
    QCOMPARE(books.cust("HandInc", 1, 2).toDouble(), 4.0);
    QCOMPARE(books.db().scalar("SELECT GoodID FROM DiaoBoMx").toInt(), 1);
    // An ordinary edit of the same line still goes through.
    QVERIFY(d->edit().ok());
    QVERIFY(d->setValue("Qty", 5).ok());
    QVERIFY(d->post().ok());
    QCOMPARE(books.goods("CustHandInc", 1), 5.0);
}

void TestValueGuards::editingALargeLineCountsItOnce()
{
    // 3e38 is near the single-precision limit: the edited line replaces its old amount in
    // the bill total, it is not added to it; a second such line would overflow the total.
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 3e38, 1}});
    QVERIFY(books.gotoLine(BillKind::StockIn, 1));
    Dataset *d = books.tab->RuKuMx;
    QVERIFY(d->edit().ok());
    QVERIFY(d->setValue("Qty", 3.1e38).ok());
    QVERIFY(d->post().ok());
    QVERIFY(books.line(BillKind::StockIn, {2, 3e38, 1}).isRefused());
    QCOMPARE(books.prompter.lastText(), BillValues::tooLargeText());
}

void TestValueGuards::closedPeriod()
{
    Books books;
    const int old = books.bill(BillKind::Delivery, 1, {{1, 4, 3}}, "2026-03-02");
    QVERIFY(books.tab->CarryForward(QDate(2026, 3, 31)));
    const QString closed = BillValues::closedPeriodText(QDate(2026, 3, 31));
    QVERIFY(closed.contains(shortDateText(QDate(2026, 3, 31))));

    // A new bill on or before the carry-forward date is refused; the day after is open.
    for (const char *day : {"2026-03-31", "2025-12-01"}) {
        books.prompter.clear();
        QCOMPARE(books.bill(BillKind::StockIn, 1, {}, day), -1);
        QCOMPARE(books.prompter.lastText(), closed);
        books.tab->RuKu->cancel();
    }
    QVERIFY(books.bill(BillKind::StockIn, 1, {{1, 1, 1}}, "2026-04-01") > 0);

    // The bill of the closed period is in the opening balances: its lines, its date and the
    // bill itself stay as they are.
    Dataset *h = books.tab->DiaoBo;
    Dataset *d = books.tab->DiaoBoMx;
    QVERIFY(books.gotoBill(BillKind::Delivery, old));
    books.prompter.clear();
    QVERIFY(books.line(BillKind::Delivery, {2, 1, 1}).isRefused());
    QCOMPARE(books.prompter.lastText(), closed);
    d->cancel();
    QVERIFY(books.gotoLine(BillKind::Delivery, 1));
    QVERIFY(d->edit().ok());
    QVERIFY(d->setValue("Qty", 9).ok());
    QVERIFY(d->post().isRefused());
    d->cancel();
    QVERIFY(d->remove().isRefused());
    QVERIFY(h->edit().ok());
    QVERIFY(h->setValue("TabDate", "2026-04-02").ok());
    QVERIFY(h->post().isRefused());
    h->cancel();
    books.prompter.clear();
    QVERIFY(h->remove().isRefused());
    QCOMPARE(books.prompter.texts(), QStringList{closed});
    QCOMPARE(books.db().scalar("SELECT Qty FROM DiaoBoMx WHERE TabID = ?", {old}).toDouble(), 4.0);
    QCOMPARE(books.db().scalar("SELECT TabDate FROM DiaoBoDan WHERE TabID = ?", {old}).toString(), QString("2026-03-02"));
    // A bill of the open period cannot be moved into the closed one either.
    QVERIFY(books.gotoBill(BillKind::StockIn, books.tab->RuKu->value("TabID").toInt()));
    QVERIFY(books.tab->RuKu->edit().ok());
    QVERIFY(books.tab->RuKu->setValue("TabDate", "2026-03-30").ok());
    QVERIFY(books.tab->RuKu->post().isRefused());
    books.tab->RuKu->cancel();
    QVERIFY(BooksCheck::run(books.db()).ok);
}

void TestValueGuards::keyChangeOfRowsInUse_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("use");
    QTest::addColumn<bool>("refused");
    QTest::newRow("goods on a bill line") << "Goods" << "GoodID" << "INSERT INTO RuKuMx(TabID, ItemNo, GoodID, Qty, Price) VALUES (1, 1, 3, 1, 1)" << true;
    QTest::newRow("goods in customer stock") << "Goods" << "GoodID" << "INSERT INTO GoodsInCusts(GoodID, CustID) VALUES (3, 1)" << true;
    QTest::newRow("goods unused") << "Goods" << "GoodID" << "" << false;
    QTest::newRow("customer on a delivery") << "Custs" << "CustID" << "INSERT INTO DiaoBoDan(BookID, CustID, TabDate) VALUES ('CK', 3, '2026-03-02')" << true;
    QTest::newRow("customer unused") << "Custs" << "CustID" << "" << false;
    QTest::newRow("vendor on a stock-in") << "Vendors" << "VendorID" << "INSERT INTO RuKuDan(BookID, CustID, TabDate) VALUES ('RK', 3, '2026-03-02')" << true;
    QTest::newRow("vendor unused") << "Vendors" << "VendorID" << "" << false;
}

void TestValueGuards::keyChangeOfRowsInUse()
{
    QFETCH(QString, dataset);
    QFETCH(QString, key);
    QFETCH(QString, use);
    QFETCH(bool, refused);
    Books books;
    if (!use.isEmpty())
        QVERIFY(books.db().exec(use));
    Dataset *ds = dataset == "Goods" ? books.base->Goods : dataset == "Custs" ? books.base->Custs : books.base->Vendors;
    QVERIFY(ds->locate(key, 3));
    QVERIFY(ds->edit().ok());
    QVERIFY(ds->setValue(key, 30).ok());
    const DatasetError e = ds->post();
    QCOMPARE(e.isRefused(), refused);
    if (refused) {
        QCOMPARE(books.prompter.lastText(), MasterGuard::keyInUseText());
        ds->cancel();
    } else {
        QVERIFY(e.ok());
    }
    const QString table = ds->tableName();
    QCOMPARE(books.db().scalar(QString("SELECT count(*) FROM %1 WHERE %2 = 3").arg(table, key)).toInt(), refused ? 1 : 0);
}

void TestValueGuards::goodsCodeChangeReReadsBothRows()
{
    Books books;
    Dataset *goods = books.base->Goods;
    QVERIFY(goods->locate("GoodID", 5));
    QVERIFY(goods->edit().ok());
    QVERIFY(goods->setValue("GoodID", 9).ok());
    QVERIFY(goods->post().ok());
    for (Dataset *view : {books.base->lkGoods, books.tab->Goods}) {
        QVERIFY2(!view->locate("GoodID", 5), qPrintable(view->name()));
        QVERIFY2(view->locate("GoodID", 9), qPrintable(view->name()));
        QCOMPARE(view->value("Description").toString(), QString("货品5"));
        QCOMPARE(view->rowCount(), 5);
    }
}

void TestValueGuards::userDeletes()
{
    Books books;
    Database &db = books.db();
    db.exec("INSERT INTO Employees(EmpID, Employee) VALUES (2, '王五'), (3, '赵六')");
    db.exec("INSERT INTO psd(UserID, Password, RoleID) VALUES (2, 'x', 2), (3, 'x', 0)");
    Dataset *psd = books.base->Psd;
    QVERIFY(psd->refresh().ok());
    books.base->user().CurUserID = 3; // an administrator, not the last one
    // The logged-in user cannot delete itself.
    QVERIFY(psd->locate("UserID", 3));
    QVERIFY(psd->remove().isRefused());
    QCOMPARE(books.prompter.lastText(), MasterGuard::currentUserText());
    // Another administrator goes while one is left; the last one stays.
    QVERIFY(psd->locate("UserID", 1));
    QVERIFY(psd->remove().ok());
    books.base->user().CurUserID = 2;
    QVERIFY(psd->locate("UserID", 3));
    QVERIFY(psd->remove().isRefused());
    QCOMPARE(books.prompter.lastText(), MasterGuard::lastAdministratorText());
    QCOMPARE(db.scalar("SELECT group_concat(UserID) FROM (SELECT UserID FROM psd ORDER BY UserID)").toString(), QString("2,3"));
}

void TestValueGuards::goodsCountersFollowTheBills_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("written");
    for (const char *counter : {"HandInc", "HandIncMny", "CustHandInc", "CustHandIncMny", "PrevOnCustHand", "PrevOnCustHandMny",
                                "Sold", "SoldMny"})
        QTest::newRow(counter) << counter << QVariant(7.0) << false;
    QTest::newRow("PrevOnHand") << "PrevOnHand" << QVariant(7.0) << true;
    QTest::newRow("PrevOnHandMny") << "PrevOnHandMny" << QVariant(7.0) << true;
    QTest::newRow("PrevOnHand empty") << "PrevOnHand" << QVariant() << false;
    QTest::newRow("PrevOnHandMny empty") << "PrevOnHandMny" << QVariant() << false;
}

void TestValueGuards::goodsCountersFollowTheBills()
{
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(bool, written);
    Books books;
    Dataset *goods = books.base->Goods;
    QVERIFY(goods->locate("GoodID", 2));
    QVERIFY(goods->edit().ok());
    const DatasetError e = goods->setValue(column, value);
    QCOMPARE(e.ok(), written);
    if (!value.isValid())
        QCOMPARE(books.prompter.lastText(), MasterGuard::emptyOpeningBalanceText());
    QVERIFY(goods->post().ok());
    QCOMPARE(books.goods(column, 2), written ? 7.0 : 0.0);
}

void TestValueGuards::emptyPasswordHashIsRefused()
{
    Books books;
    Dataset *psd = books.base->Psd;
    const QString before = books.db().scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    QVERIFY(psd->locate("UserID", 1));
    QVERIFY(psd->edit().ok());
    QVERIFY(psd->setValue("Password", QString()).isRefused());
    QCOMPARE(books.prompter.lastText(), MasterGuard::passwordNotSetText());
    psd->cancel();
    QCOMPARE(books.db().scalar("SELECT Password FROM psd WHERE UserID = 1").toString(), before);
    QVERIFY(!before.isEmpty());
}

void TestValueGuards::invoiceIsWhole_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("a bad line after good ones") << "line" << QString();
    QTest::newRow("the bill was deleted") << "bill" << InvoiceEntry::billMissingText();
    QTest::newRow("no number") << "number" << InvoiceEntry::invalidText();
    QTest::newRow("no lines") << "lines" << InvoiceEntry::invalidText();
    QTest::newRow("number taken") << "taken" << QString("数据库:发票号已经存在，本发票号重复，请重新录入。");
}

void TestValueGuards::invoiceIsWhole()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Books books;
    const int tab = books.bill(BillKind::StockIn, 2, {{1, 2, 10}, {2, 1, 5}});
    QList<InvoiceEntry::Line> lines{{1, 2, 10, 20}, {2, 1, 5, 5}};
    if (fault == "line")
        lines.append({QStringLiteral("x"), 1, 1, 1});
    else if (fault == "bill")
        books.db().exec("DELETE FROM RuKuDan WHERE TabID = ?", {tab}); // as another program would
    else if (fault == "lines")
        lines.clear();
    else if (fault == "taken")
        books.db().exec("INSERT INTO Invoices(TabID, invoice) VALUES (99, 'F-9')");
    books.prompter.clear();
    QVERIFY(InvoiceEntry(*books.tab).save(fault == "number" ? " " : "F-9", QVariant(), lines, false).failed());
    if (!message.isEmpty())
        QCOMPARE(books.prompter.lastText(), message);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Invoices WHERE TabID = ?", {tab}).toInt(), 0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM InvoiceMx").toInt(), 0);
    QVERIFY(books.db().scalar("SELECT invoice FROM RuKuDan WHERE TabID = ?", {tab}).isNull());
    // The number was not used up: the corrected invoice takes it.
    if (fault == "line") {
        lines.removeLast();
        double total = 0;
        QVERIFY(InvoiceEntry(*books.tab).save("F-9", QVariant(), lines, false, &total).ok());
        QCOMPARE(total, 25.0);
        QCOMPARE(books.db().scalar("SELECT invoiceMny FROM RuKuDan WHERE TabID = ?", {tab}).toDouble(), 25.0);
        QCOMPARE(books.db().scalar("SELECT invoice FROM RuKuDan WHERE TabID = ?", {tab}).toString(), QString("F-9"));
    }
}

void TestValueGuards::secondInvoiceForABill()
{
    Books books;
    books.bill(BillKind::StockIn, 2, {{1, 2, 10}});
    QVERIFY(InvoiceEntry(*books.tab).save("F-1", QVariant(), {}, true).ok());
    books.prompter.clear();
    QVERIFY(InvoiceEntry(*books.tab).save("F-2", QVariant(), {}, true).isRefused());
    QCOMPARE(books.prompter.texts(), QStringList{InvoiceEntry::alreadyInvoicedText()});
    // Through the invoice view itself, as the invoice window writes it.
    Dataset *inv = books.tab->Invoices;
    QVERIFY(inv->append().ok());
    QVERIFY(inv->setValue("TabID", books.tab->RuKu->value("TabID")).ok());
    QVERIFY(inv->setValue("invoice", "F-3").ok());
    QVERIFY(inv->post().failed());
    QCOMPARE(books.prompter.lastText(), InvoiceEntry::alreadyInvoicedText());
    QVERIFY(!books.prompter.lastText().contains("UNIQUE"));
    QCOMPARE(books.db().scalar("SELECT group_concat(invoice) FROM Invoices").toString(), QString("F-1"));
}

void TestValueGuards::recalcRefusesDatesThatAreNotDates_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("one-digit month") << "2026-3-1" << "2026-12-31";
    QTest::newRow("no such day") << "2026-01-01" << "2026-02-30";
    QTest::newRow("empty") << "" << "2026-12-31";
    QTest::newRow("a time of day") << "2026-01-01" << "2026-12-31 23:59:59";
}

void TestValueGuards::recalcRefusesDatesThatAreNotDates()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2.5}});
    NullProgress progress;
    QString error;
    QVERIFY(!books.tab->RecalcTotals(start, end, progress, &error));
    QCOMPARE(error, BillValues::badDateText());
    // Nothing was zeroed: the counters posted by the bill are still there.
    QCOMPARE(books.goods("HandInc", 1), 10.0);
}

QTEST_GUILESS_MAIN(TestValueGuards)
#include "test_valueguards.moc"
