// Two programs on one file: every write reads what it depends on from the file inside its
// own transaction, refuses a row the other program changed since it was read, asks and tells
// nothing while it holds the file, and says so when the other program holds it too long.
#include "core/analysis/billsearch.h"
#include "core/bills/bookscheck.h"
#include "core/data/invoiceentry.h"
#include "core/db/refusals.h"
#include "core/filechooser.h"
#include "support/books.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

using namespace hemu;
using test::Books;

namespace {

const QString changedText = QStringLiteral("该单据已被其他用户修改，已重新读取。");

/// Two programs on one file, A and B. Counts every box either shows while its own
/// connection holds a write transaction (there must be none).
struct TwoPrograms
{
    TwoPrograms()
    {
        for (Books *p : {&a, &b}) {
            Database *db = &p->db();
            p->prompter.onShown = [this, db](const ScriptedPrompter::Entry &e) {
                if (db->transactionDepth() > 0)
                    boxesInsideWrites << e.text;
            };
        }
    }
    /// A enters a bill; B reads its bills again and shows that one.
    int billBothShow(BillKind kind, int party, const QList<Books::Line> &lines)
    {
        const int tabId = a.bill(kind, party, lines);
        if (b.tab->header(kind)->refresh().failed() || !b.gotoBill(kind, tabId))
            return -1;
        return tabId;
    }

    Books a{5};
    Books b{a.set.path()};
    QStringList boxesInsideWrites;
};

DatasetError setLine(Books &p, BillKind kind, int itemNo, const QString &field, const QVariant &value)
{
    Dataset *d = p.tab->detail(kind);
    if (!d->locate("ItemNo", itemNo))
        return DatasetError(DatasetError::Code::State, QStringLiteral("no line %1").arg(itemNo));
    DatasetError e = d->edit();
    if (e.ok())
        e = d->setValue(field, value);
    return e.ok() ? d->post() : e;
}

QString booksCheck(Database &db)
{
    const BooksCheck::Report report = BooksCheck::run(db);
    return report.ok ? QString() : report.differences.mid(0, 5).join('\n') + report.error;
}

/// Everything the writes of these tests could touch.
QString fileState(Database &db)
{
    return db.scalar("SELECT (SELECT group_concat(GoodID || ':' || coalesce(Description, '') || ':' || HandInc || ':' || CustHandInc "
                     "|| ':' || Sold, ',') FROM Goods) || '/' || "
                     "(SELECT coalesce(group_concat(GoodID || ':' || CustID || ':' || HandInc || ':' || Sold, ','), '') FROM GoodsInCusts) || '/' || "
                     "(SELECT coalesce(group_concat(TabID || ':' || CustID || ':' || SumMoney, ','), '') FROM DiaoBoDan) || '/' || "
                     "(SELECT coalesce(group_concat(TabID || ':' || ItemNo || ':' || GoodID || ':' || Qty, ','), '') FROM DiaoBoMx) || '/' || "
                     "(SELECT count(*) FROM RuKuDan) || ':' || (SELECT count(*) FROM Customers) || ':' || "
                     "(SELECT count(*) FROM Invoices) || ':' || (SELECT coalesce(group_concat(invoice), '') FROM RuKuDan) || ':' || "
                     "(SELECT group_concat(coalesce(PrevOnHand, '') || ':' || coalesce(PrevOnCustHand, ''), ',') FROM Goods) || ':' || "
                     "(SELECT coalesce(group_concat(结转时间), '') FROM UserInfo)")
        .toString();
}

/// GoodID of every row in view order.
QList<int> goodIds(Dataset &ds)
{
    QList<int> out;
    for (int row = 0; row < ds.rowCount(); ++row)
        out << ds.value(row, ds.fieldIndex("GoodID")).toInt();
    return out;
}

} // namespace

class TestTwoPrograms : public QObject
{
    Q_OBJECT
private slots:
    void editsOfOneLineTakeTurns();
    void lineForABillTheOtherDeleted();
    void bothDeleteOneBill();
    void billDeleteTakesTheLinesTheFileHolds();
    void lineGoesToTheStoredCustomer();
    void customerChangeRefusedOnceTheOtherAddedALine();
    void lineDeleteOfALineTheOtherChanged();
    void lineNumbersFromTwoPrograms();
    void goodsCodesFromTwoPrograms();
    void billDeleteWithAnUntouchedNewLine();
    void marksStayWithTheirProgram();
    void billSearchStaysWithItsProgram();
    void busyFile_data();
    void busyFile();
    void busyFileThroughExec();
    void randomInterleavings();
    void twoExecProcessesAtOnce();
};

void TestTwoPrograms::editsOfOneLineTakeTurns()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::StockIn, 1, {{1, 5, 2}});
    QVERIFY(bill > 0);

    QVERIFY(setLine(p.a, BillKind::StockIn, 1, "Qty", 6).ok());
    // B still shows 5: its edit is refused, and it now shows what the file holds.
    const DatasetError refused = setLine(p.b, BillKind::StockIn, 1, "Qty", 9);
    QCOMPARE(refused.code(), DatasetError::Code::Conflict);
    QVERIFY(refused.isReported());
    QCOMPARE(p.b.prompter.lastText(), changedText);
    QCOMPARE(p.b.tab->RuKuMx->state(), Dataset::State::Browse);
    QCOMPARE(p.b.tab->RuKuMx->value("Qty").toDouble(), 6.0);
    QCOMPARE(p.b.goods("HandInc", 1), 6.0);
    // Once it has read the line again, its edit goes through; now A's copy is the old one.
    QVERIFY(setLine(p.b, BillKind::StockIn, 1, "Qty", 9).ok());
    QCOMPARE(setLine(p.a, BillKind::StockIn, 1, "Qty", 7).code(), DatasetError::Code::Conflict);
    QCOMPARE(p.a.tab->RuKuMx->value("Qty").toDouble(), 9.0);

    QCOMPARE(p.a.db().scalar("SELECT Qty FROM RuKuMx WHERE TabID = ?", {bill}).toDouble(), 9.0);
    QCOMPARE(p.a.goods("HandInc", 1), 9.0);
    QCOMPARE(p.a.goods("HandIncMny", 1), 18.0);
    QCOMPARE(booksCheck(p.a.db()), QString());
    QCOMPARE(p.boxesInsideWrites, QStringList());
}

void TestTwoPrograms::lineForABillTheOtherDeleted()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Delivery, 1, {{1, 2, 3}});
    QVERIFY(bill > 0);
    QVERIFY(p.a.tab->DiaoBo->remove().ok());

    const DatasetError refused = p.b.line(BillKind::Delivery, {2, 4, 1});
    QCOMPARE(refused.code(), DatasetError::Code::Conflict);
    QVERIFY(p.b.prompter.texts().contains(changedText));
    // Nothing of the line stays, and the bill has left B's view.
    QCOMPARE(p.b.tab->DiaoBoMx->state(), Dataset::State::Browse);
    QVERIFY(!p.b.gotoBill(BillKind::Delivery, bill));
    QCOMPARE(p.a.db().scalar("SELECT count(*) FROM DiaoBoMx").toInt(), 0);
    QCOMPARE(p.a.goods("CustHandInc", 2), 0.0);
    QCOMPARE(booksCheck(p.a.db()), QString());
    QCOMPARE(p.boxesInsideWrites, QStringList());
}

void TestTwoPrograms::bothDeleteOneBill()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Delivery, 1, {{1, 2, 3}, {2, 5, 1}});
    QVERIFY(bill > 0);
    QVERIFY(p.a.tab->DiaoBo->remove().ok());

    p.b.prompter.clear();
    const DatasetError refused = p.b.tab->DiaoBo->remove();
    QCOMPARE(refused.code(), DatasetError::Code::Conflict);
    QVERIFY(p.b.prompter.texts().contains(changedText));
    QVERIFY(!p.b.prompter.texts().contains("单据已经删除。"));
    QVERIFY(!p.b.gotoBill(BillKind::Delivery, bill));
    // The counters went back once, not twice.
    QCOMPARE(p.a.goods("CustHandInc", 1), 0.0);
    QCOMPARE(p.a.goods("CustHandIncMny", 2), 0.0);
    QCOMPARE(p.a.cust("HandInc", 1, 1).toDouble(), 0.0);
    QCOMPARE(booksCheck(p.a.db()), QString());
}

void TestTwoPrograms::billDeleteTakesTheLinesTheFileHolds()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Delivery, 1, {{1, 2, 3}});
    QVERIFY(bill > 0);
    QVERIFY(p.b.line(BillKind::Delivery, {2, 4, 1}).ok());
    // A still shows one line; its delete takes both and reverses both.
    QCOMPARE(p.a.tab->DiaoBoMx->rowCount(), 1);
    QVERIFY(p.a.tab->DiaoBo->remove().ok());
    QCOMPARE(p.a.db().scalar("SELECT count(*) FROM DiaoBoMx").toInt(), 0);
    QCOMPARE(p.a.goods("CustHandInc", 2), 0.0);
    QCOMPARE(p.a.cust("HandInc", 2, 1).toDouble(), 0.0);
    QCOMPARE(booksCheck(p.a.db()), QString());
}

void TestTwoPrograms::lineGoesToTheStoredCustomer()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Delivery, 1, {});
    QVERIFY(bill > 0);
    QVERIFY(p.b.tab->DiaoBo->edit().ok());
    QVERIFY(p.b.tab->DiaoBo->setValue("CustID", 2).ok());
    QVERIFY(p.b.tab->DiaoBo->post().ok());

    // A still shows customer 1; the line is posted to the bill's customer in the file.
    QVERIFY(p.a.line(BillKind::Delivery, {3, 5, 2}).ok());
    QCOMPARE(p.a.cust("HandInc", 3, 2).toDouble(), 5.0);
    QVERIFY(p.a.cust("HandInc", 3, 1).isNull());
    QCOMPARE(p.a.tab->DiaoBo->value("CustID").toInt(), 2);
    QCOMPARE(booksCheck(p.a.db()), QString());
}

void TestTwoPrograms::customerChangeRefusedOnceTheOtherAddedALine()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Receipt, 1, {});
    QVERIFY(bill > 0);
    // B begins the change while the bill has no line; A adds one before B saves.
    QVERIFY(p.b.tab->ChuKu->edit().ok());
    QVERIFY(p.b.tab->ChuKu->setValue("CustID", 2).ok());
    QVERIFY(p.a.line(BillKind::Receipt, {1, 5, 2}).ok());
    QVERIFY(p.b.tab->ChuKu->post().failed());
    QVERIFY(p.b.prompter.lastText().startsWith("字段验证:单据已经包含明细项"));
    QCOMPARE(p.a.db().scalar("SELECT CustID FROM ChuKuDan WHERE TabID = ?", {bill}).toInt(), 1);
    QCOMPARE(booksCheck(p.a.db()), QString());
    QCOMPARE(p.boxesInsideWrites, QStringList());
}

void TestTwoPrograms::lineDeleteOfALineTheOtherChanged()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::Delivery, 1, {{1, 5, 2}, {2, 1, 1}});
    QVERIFY(bill > 0);
    QVERIFY(setLine(p.a, BillKind::Delivery, 1, "Qty", 8).ok());

    QVERIFY(p.b.gotoLine(BillKind::Delivery, 1));
    QCOMPARE(p.b.tab->DiaoBoMx->remove().code(), DatasetError::Code::Conflict);
    QCOMPARE(p.a.db().scalar("SELECT count(*) FROM DiaoBoMx").toInt(), 2);
    // Read again, the line deletes, reversing what the file held.
    QVERIFY(p.b.gotoLine(BillKind::Delivery, 1));
    QCOMPARE(p.b.tab->DiaoBoMx->value("Qty").toDouble(), 8.0);
    QVERIFY(p.b.tab->DiaoBoMx->remove().ok());
    QCOMPARE(p.a.goods("CustHandInc", 1), 0.0);
    QCOMPARE(booksCheck(p.a.db()), QString());
}

void TestTwoPrograms::lineNumbersFromTwoPrograms()
{
    TwoPrograms p;
    const int bill = p.billBothShow(BillKind::StockIn, 1, {{1, 1, 1}});
    QVERIFY(bill > 0);
    Dataset *da = p.a.tab->RuKuMx;
    Dataset *db = p.b.tab->RuKuMx;
    // Both begin a line numbered 2; the second to save gets 3.
    QVERIFY(da->append().ok() && db->append().ok());
    QCOMPARE(da->value("ItemNo").toInt(), 2);
    QCOMPARE(db->value("ItemNo").toInt(), 2);
    for (auto [d, goods] : {std::pair{da, 2}, std::pair{db, 3}}) {
        QVERIFY(d->setValue("GoodID", goods).ok());
        QVERIFY(d->setValue("Qty", 1).ok());
        QVERIFY(d->post().ok());
    }
    QCOMPARE(db->value("ItemNo").toInt(), 3);
    QCOMPARE(p.a.db().scalar("SELECT group_concat(ItemNo) FROM (SELECT ItemNo FROM RuKuMx ORDER BY ItemNo)").toString(), QString("1,2,3"));
}

void TestTwoPrograms::goodsCodesFromTwoPrograms()
{
    TwoPrograms p;
    Dataset *ga = p.a.base->Goods;
    Dataset *gb = p.b.base->Goods;
    QVERIFY(ga->append().ok() && gb->append().ok());
    QCOMPARE(ga->value("GoodID").toInt(), 6);
    QCOMPARE(gb->value("GoodID").toInt(), 6);
    QVERIFY(ga->setValue("Description", "甲").ok());
    QVERIFY(gb->setValue("Description", "乙").ok());
    QVERIFY(ga->post().ok());
    QVERIFY(gb->post().ok());
    QCOMPARE(gb->value("GoodID").toInt(), 7);
    QCOMPARE(p.a.db().scalar("SELECT Description FROM Goods WHERE GoodID = 7").toString(), QString("乙"));
    QVERIFY(!p.b.prompter.texts().contains("代码重复，请重新录入。"));
    // A code the user typed is his: a taken one is still refused.
    QVERIFY(gb->append().ok());
    QVERIFY(gb->setValue("GoodID", 6).ok());
    QVERIFY(gb->setValue("Description", "丙").ok());
    QVERIFY(gb->post().failed());
    QCOMPARE(p.b.prompter.lastText(), QString("代码重复，请重新录入。"));
}

void TestTwoPrograms::billDeleteWithAnUntouchedNewLine()
{
    Books books;
    const int bill = books.bill(BillKind::Delivery, 1, {{1, 2, 3}});
    QVERIFY(books.tab->DiaoBoMx->append().ok());
    books.prompter.clear();
    QVERIFY(books.tab->DiaoBo->remove().ok());
    QCOMPARE(books.prompter.texts(), QStringList({"确实要删除吗？", "单据已经删除。"}));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM DiaoBoDan WHERE TabID = ?", {bill}).toInt(), 0);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM DiaoBoMx").toInt(), 0);
    QCOMPARE(books.goods("CustHandInc", 1), 0.0);
}

void TestTwoPrograms::marksStayWithTheirProgram()
{
    TwoPrograms p;
    p.a.bill(BillKind::StockIn, 1, {{1, 5, 2}, {3, 1, 1}});
    QString error;
    QVERIFY2(p.a.base->FilterGoods(1, "2", *p.a.base->Goods, &error), qPrintable(error));
    QVERIFY2(p.a.base->MarkZeroGoods(&error), qPrintable(error));
    QCOMPARE(goodIds(*p.a.base->Goods), QList<int>{2});

    // B searches for something else; each program keeps its own search and marks.
    QVERIFY2(p.b.base->FilterGoods(1, "4", *p.b.tab->Goods, &error), qPrintable(error));
    for (Dataset *view : {p.a.base->Goods, p.a.base->lkGoods, p.b.base->Goods})
        QVERIFY(view->refresh().ok());
    QCOMPARE(goodIds(*p.a.base->Goods), QList<int>{2});
    QCOMPARE(goodIds(*p.b.tab->Goods), QList<int>{4});
    QVERIFY(p.b.base->Goods->locate("GoodID", 2));
    QCOMPARE(p.b.base->Goods->value("IsZero").toBool(), false);
    QVERIFY(p.a.base->Goods->locate("GoodID", 2));
    QCOMPARE(p.a.base->Goods->value("IsZero").toBool(), true);
}

void TestTwoPrograms::billSearchStaysWithItsProgram()
{
    TwoPrograms p;
    const int first = p.billBothShow(BillKind::Delivery, 1, {{1, 1, 1}});
    const int second = p.billBothShow(BillKind::Delivery, 2, {{2, 1, 1}});
    auto deliveries = [](Books &books) {
        QList<int> ids;
        Dataset *h = books.tab->DiaoBo;
        for (int row = 0; row < h->rowCount(); ++row)
            ids << h->value(row, h->fieldIndex("TabID")).toInt();
        return ids;
    };
    auto search = [](Books &books, const QString &goods) {
        Dataset *tab[] = {books.tab->RuKu, books.tab->DiaoBo, books.tab->ChuKu};
        return BillSearch::run(books.db(), {tab[0], tab[1], tab[2]}, {QString(), goods, QString(), QString()}).searched;
    };
    // A's search narrows A's lists only, and writes nothing B could read.
    QVERIFY(search(p.a, "1"));
    QVERIFY(p.b.tab->DiaoBo->refresh().ok());
    QCOMPARE(deliveries(p.a), QList<int>{first});
    QCOMPARE(deliveries(p.b), (QList<int>{first, second}));
    // B's search leaves A's as it was, also when A reads its list again.
    QVERIFY(search(p.b, "2"));
    QVERIFY(p.a.tab->DiaoBo->refresh().ok());
    QCOMPARE(deliveries(p.a), QList<int>{first});
    QCOMPARE(deliveries(p.b), QList<int>{second});
    // B shows every bill and enters a third with goods 2: A's next search finds it too.
    QVERIFY(!search(p.b, " "));
    const int third = p.b.bill(BillKind::Delivery, 3, {{2, 1, 1}});
    QVERIFY(search(p.a, "2"));
    QCOMPARE(deliveries(p.a), (QList<int>{second, third}));
    QVERIFY(!search(p.a, ""));
    QCOMPARE(deliveries(p.a), (QList<int>{first, second, third}));
    QCOMPARE(booksCheck(p.a.db()), QString());
}

void TestTwoPrograms::busyFile_data()
{
    QTest::addColumn<QString>("action");
    for (const char *a : {"line", "edit-line", "delete-line", "set-party", "delete-bill", "bill", "add-goods", "delete-goods",
                          "invoice", "recalc", "clear-bills", "purge-idle", "carry-forward"})
        QTest::newRow(a) << a;
}

void TestTwoPrograms::busyFile()
{
    QFETCH(QString, action);
    Books books(6);
    const int bill = books.bill(BillKind::Delivery, 1, {{1, 2, 3}, {2, 5, 1}});
    const int empty = books.bill(BillKind::Delivery, 2, {});
    const int storedStockIn = books.bill(BillKind::StockIn, 1, {{4, 2, 1}});
    QVERIFY(books.gotoBill(BillKind::Delivery, bill));
    QVERIFY(books.db().setBusyTimeout(20));
    Database other;
    QVERIFY(other.open(books.set.path()));
    QVERIFY(other.exec("BEGIN IMMEDIATE")); // another program holds the file
    const QString before = fileState(books.db());
    books.prompter.clear();

    Dataset *h = books.tab->DiaoBo;
    Dataset *d = books.tab->DiaoBoMx;
    DatasetError e;
    QString error;
    bool ok = true;
    if (action == "line") {
        e = books.line(BillKind::Delivery, {3, 7, 2});
        // What was typed is still there to be saved later.
        QCOMPARE(d->state(), Dataset::State::Insert);
        QCOMPARE(d->value("Qty").toDouble(), 7.0);
    } else if (action == "edit-line") {
        e = setLine(books, BillKind::Delivery, 1, "Qty", 9);
        QCOMPARE(d->state(), Dataset::State::Edit);
        QCOMPARE(d->value("Qty").toDouble(), 9.0);
    } else if (action == "delete-line") {
        QVERIFY(books.gotoLine(BillKind::Delivery, 1));
        e = d->remove();
        QCOMPARE(d->rowCount(), 2);
    } else if (action == "set-party") {
        QVERIFY(books.gotoBill(BillKind::Delivery, empty));
        QVERIFY(h->edit().ok());
        QVERIFY(h->setValue("CustID", 3).ok());
        e = h->post();
        QCOMPARE(h->state(), Dataset::State::Edit);
    } else if (action == "delete-bill") {
        e = h->remove();
        QVERIFY(books.gotoBill(BillKind::Delivery, bill));
        QCOMPARE(d->rowCount(), 2);
    } else if (action == "bill") {
        QCOMPARE(books.bill(BillKind::Delivery, 3, {}), -1);
        e = h->lastError();
        QCOMPARE(h->state(), Dataset::State::Insert);
    } else if (action == "add-goods") {
        QVERIFY(books.base->Goods->append().ok());
        QVERIFY(books.base->Goods->setValue("Description", "新").ok());
        e = books.base->Goods->post();
    } else if (action == "delete-goods") {
        QVERIFY(books.base->Goods->locate("GoodID", 6));
        e = books.base->Goods->remove();
    } else if (action == "invoice") {
        QVERIFY(books.gotoBill(BillKind::StockIn, storedStockIn));
        e = InvoiceEntry(*books.tab).save("F-1", QVariant(), {}, true);
    } else if (action == "recalc") {
        NullProgress progress;
        ok = books.tab->RecalcTotals("2000-01-01", "2100-01-01", progress, &error);
    } else if (action == "clear-bills") {
        ok = books.tab->ClearBills(&error);
    } else if (action == "purge-idle") {
        ok = books.tab->PurgeIdleCustStock(&error);
    } else if (action == "carry-forward") {
        ok = books.tab->CarryForward(QDate(2026, 3, 31));
        QVERIFY(!books.prompter.texts().contains("结转完毕！"));
    }
    // Refused, never reported as done, and the user is told why.
    QVERIFY(!ok || e.failed());
    const QStringList told = books.prompter.texts() << e.message() << error;
    QVERIFY2(told.contains(busyText()), qPrintable(told.join('|')));
    QVERIFY(!told.contains("单据已经删除。"));
    QCOMPARE(fileState(books.db()), before);
    QCOMPARE(books.db().transactionDepth(), 0);

    // Once the other program lets go, the same write goes through.
    QVERIFY(other.exec("ROLLBACK"));
    if (action == "line" || action == "edit-line")
        QVERIFY(d->post().ok());
    QCOMPARE(booksCheck(books.db()), QString());
}

void TestTwoPrograms::busyFileThroughExec()
{
    Books books(6);
    const int bill = books.bill(BillKind::Delivery, 1, {{1, 2, 3}, {2, 5, 1}});
    const int empty = books.bill(BillKind::Receipt, 2, {});
    const int stockIn = books.bill(BillKind::StockIn, 1, {{4, 2, 1}});
    Database other;
    QVERIFY(other.open(books.set.path()));
    QVERIFY(other.exec("BEGIN IMMEDIATE"));
    const QString before = fileState(books.db());

    const QStringList ops = {
        QString(R"({"op":"delete-bill","kind":2,"bill":%1})").arg(bill),
        QString(R"({"op":"delete-line","kind":2,"bill":%1,"item":1})").arg(bill),
        QString(R"({"op":"delete","table":"Goods","id":6})"),
        QString(R"({"op":"bill","kind":2,"party":1,"date":"2026-03-02","lines":[{"goods":3,"qty":1,"price":1}]})"),
        QString(R"({"op":"line","kind":2,"bill":%1,"goods":3,"qty":1,"price":1})").arg(bill),
        QString(R"({"op":"edit-line","kind":2,"bill":%1,"item":1,"qty":9})").arg(bill),
        QString(R"({"op":"set-party","kind":3,"bill":%1,"party":3})").arg(empty),
        QString(R"({"op":"add","table":"Customers","values":{"CustName":"新客户"}})"),
        QString(R"({"op":"recalc","start":"2000-01-01","end":"2100-01-01"})"),
        QString(R"({"op":"clear-bills"})"),
        QString(R"({"op":"purge-idle"})"),
        QString(R"({"op":"carry-forward"})"),
        QString(R"({"op":"invoice","bill":%1,"number":"F-1","lines":"copy"})").arg(stockIn),
    };
    QProcess cli;
    cli.start(qEnvironmentVariable("HEMU_CLI"), {"exec", books.set.path(), "--busy-timeout", "20"});
    QVERIFY(cli.waitForStarted());
    cli.write(ops.join('\n').toUtf8() + '\n');
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(120000));
    const QList<QByteArray> answers = cli.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(answers.size(), ops.size());
    for (int i = 0; i < answers.size(); ++i) {
        const QJsonObject answer = QJsonDocument::fromJson(answers[i]).object();
        QVERIFY2(!answer.value("ok").toBool(), answers[i].constData());
        const QStringList told = answer.value("messages").toVariant().toStringList() << answer.value("error").toString();
        QVERIFY2(told.contains(busyText()), answers[i].constData());
        QVERIFY2(!told.contains(QString()) || told.indexOf(QString()) == told.size() - 1, answers[i].constData());
        QVERIFY2(!told.contains("单据已经删除。"), answers[i].constData());
    }
    QCOMPARE(fileState(books.db()), before);
    QVERIFY(other.exec("ROLLBACK"));
}

void TestTwoPrograms::randomInterleavings()
{
    TwoPrograms p;
    QRandomGenerator rng(20261210);
    const BillKind kinds[] = {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt};
    Books *programs[] = {&p.a, &p.b};
    for (Books *program : programs)
        program->db().setBusyTimeout(10000);
    // Bills both programs start from; more come and go as they work.
    for (const BillKind kind : kinds)
        for (int party = 1; party <= 3; ++party)
            p.a.bill(kind, party, {{party, 2, 1.5}});
    auto randomQty = [&] { return (int(rng.bounded(200)) - 40) / 4.0; };
    auto randomPrice = [&] { return int(rng.bounded(1000)) / 8.0; };
    int done = 0;
    int refused = 0;
    int conflicts = 0;
    for (int batch = 0; batch < 40; ++batch) {
        for (int step = 0; step < 100; ++step) {
            Books &me = *programs[rng.bounded(2)];
            const BillKind kind = kinds[rng.bounded(3)];
            Dataset *h = me.tab->header(kind);
            Dataset *d = me.tab->detail(kind);
            // Now and then a program reads its bills again, or moves to another bill; mostly
            // it goes on with the one it shows, which the other may have changed meanwhile.
            if (rng.bounded(8) == 0)
                QVERIFY(h->refresh().ok());
            if (rng.bounded(3) == 0 && h->rowCount() > 0)
                QVERIFY(h->setCurrentRow(rng.bounded(h->rowCount())));
            DatasetError e;
            const int action = rng.bounded(20);
            if (h->rowCount() == 0 || action == 0) {
                me.bill(kind, 1 + rng.bounded(5), {});
                e = h->lastError();
            } else if (action < 9 || d->rowCount() == 0) {
                e = me.line(kind, {1 + int(rng.bounded(5)), randomQty(), randomPrice()});
            } else if (action < 14) {
                QVERIFY(d->setCurrentRow(rng.bounded(d->rowCount())));
                e = d->edit();
                if (e.ok())
                    e = rng.bounded(4) == 0 ? d->setValue("GoodID", 1 + int(rng.bounded(5)))
                                            : d->setValue(rng.bounded(2) ? "Qty" : "Price", rng.bounded(2) ? randomQty() : randomPrice());
                if (e.ok())
                    e = d->post();
            } else if (action < 17) {
                QVERIFY(d->setCurrentRow(rng.bounded(d->rowCount())));
                e = d->remove();
            } else if (action < 19) {
                e = h->edit();
                if (e.ok())
                    e = h->setValue("CustID", 1 + int(rng.bounded(5)));
                if (e.ok())
                    e = h->post();
            } else {
                e = h->remove();
            }
            // Whatever failed was refused by a rule (a taken goods item, a customer kept by
            // its lines, a row the other program changed), never by a broken write.
            QVERIFY2(e.ok() || e.isRefused() || e.isReported() || e.code() == DatasetError::Code::Conflict
                         || e.code() == DatasetError::Code::Validation,
                     qPrintable(e.message()));
            (e.ok() ? done : refused) += 1;
            conflicts += e.code() == DatasetError::Code::Conflict;
            for (Dataset *ds : {h, d})
                if (ds->isEditing())
                    ds->cancel();
        }
        QCOMPARE(booksCheck(p.a.db()), QString());
    }
    QCOMPARE(p.boxesInsideWrites, QStringList());
    qDebug("%d writes done, %d refused, %d of them as changed by the other program", done, refused, conflicts);
    QVERIFY(done > 2000);
    QVERIFY(conflicts > 20);
    // What each program shows after reading again is what the file holds.
    for (Books *program : programs) {
        QVERIFY(program->tab->Goods->refresh().ok());
        QVERIFY(program->tab->Goods->locate("GoodID", 3));
        QCOMPARE(program->tab->Goods->value("CustHandInc").toDouble(), p.a.goods("CustHandInc", 3));
    }
}

void TestTwoPrograms::twoExecProcessesAtOnce()
{
    Books books(5);
    QList<int> bills;
    for (int party = 1; party <= 16; ++party)
        bills << books.bill(BillKind::Delivery, 1 + party % 5, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    // Two programs work on the same bills at the same time, each with its own seed.
    auto script = [&](quint32 seed) {
        QRandomGenerator rng(seed);
        QByteArray ops;
        for (int i = 0; i < 400; ++i) {
            const int bill = bills[rng.bounded(bills.size())];
            const int item = 1 + rng.bounded(5);
            QString op;
            const int action = rng.bounded(100);
            if (action < 40)
                op = QString(R"({"op":"line","kind":2,"bill":%1,"goods":%2,"qty":%3,"price":1.5})").arg(bill).arg(1 + rng.bounded(5)).arg(1 + rng.bounded(9));
            else if (action < 70)
                op = QString(R"({"op":"edit-line","kind":2,"bill":%1,"item":%2,"qty":%3})").arg(bill).arg(item).arg(1 + rng.bounded(9));
            else if (action < 85)
                op = QString(R"({"op":"delete-line","kind":2,"bill":%1,"item":%2})").arg(bill).arg(item);
            else if (action < 96)
                op = QString(R"({"op":"set-party","kind":2,"bill":%1,"party":%2})").arg(bill).arg(1 + rng.bounded(5));
            else if (action < 97)
                op = QString(R"({"op":"delete-bill","kind":2,"bill":%1})").arg(bill);
            else
                op = QString(R"({"op":"bill","kind":2,"party":1,"date":"2026-03-02","lines":[{"goods":4,"qty":1,"price":1}]})");
            ops += op.toUtf8() + '\n';
        }
        return ops;
    };
    QProcess first, second;
    for (QProcess *p : {&first, &second})
        p->start(qEnvironmentVariable("HEMU_CLI"), {"exec", books.set.path()});
    QVERIFY(first.waitForStarted() && second.waitForStarted());
    first.write(script(1));
    second.write(script(2));
    first.closeWriteChannel();
    second.closeWriteChannel();
    QVERIFY(first.waitForFinished(300000) && second.waitForFinished(300000));
    const QList<QByteArray> answers = (first.readAllStandardOutput() + second.readAllStandardOutput()).trimmed().split('\n');
    QCOMPARE(answers.size(), 800);
    int ok = 0;
    for (const QByteArray &line : answers) {
        const QJsonObject answer = QJsonDocument::fromJson(line).object();
        QVERIFY2(answer.contains("ok"), line.constData());
        if (answer.value("ok").toBool()) {
            ++ok;
            continue;
        }
        // A refusal always says why.
        QStringList told = answer.value("messages").toVariant().toStringList() << answer.value("error").toString();
        told.removeAll(QString());
        QVERIFY2(!told.isEmpty(), line.constData());
        QVERIFY2(!line.contains("database is locked"), line.constData());
    }
    qDebug("%d of 800 answers ok", ok);
    QVERIFY(ok > 100);
    QCOMPARE(booksCheck(books.db()), QString());
}

QTEST_GUILESS_MAIN(TestTwoPrograms)
#include "test_twoprograms.moc"
