// A period as a user runs it in the program: bills entered, the totals rebuilt in the totals
// window, the bills behind a goods item looked up, the period carried forward from the menu,
// and the books checked afterwards. Also the carry-forward the clock refuses.
#include "core/bills/periodoperations.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/format/datetext.h"
#include "support/appfixture.h"
#include "support/books.h"
#include "support/clirun.h"
#include "support/gridrows.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/analysis/tfrmtotaltabs.h"
#include "ui/shell/tfrmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using namespace hemu;

namespace {

/// Every counter of the goods and the customers' stock, one line per row.
QString counters(Database &db)
{
    QStringList lines;
    QSqlQuery q = db.query("SELECT GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, CustHandInc, CustHandIncMny, Sold, "
                           "SoldMny FROM Goods ORDER BY GoodID");
    q.exec();
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < 9; ++c)
            cells << q.value(c).toString();
        lines << "G " + cells.join(' ');
    }
    q = db.query("SELECT CustID, GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny FROM GoodsInCusts "
                 "ORDER BY CustID, GoodID");
    q.exec();
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < 8; ++c)
            cells << q.value(c).toString();
        lines << "C " + cells.join(' ');
    }
    return lines.join('\n');
}

} // namespace

class TestPeriodCycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeCycle();
    void clockBehindTheLastCarryForwardChangesNothing();

private:
    void checkBooks();
    std::unique_ptr<test::Books> m_books;
    std::unique_ptr<test::AppFixture> m_app;
};

void TestPeriodCycle::init()
{
    m_books = std::make_unique<test::Books>();
    m_app = std::make_unique<test::AppFixture>();
}

void TestPeriodCycle::cleanup()
{
    m_app.reset();
    m_books.reset();
}

void TestPeriodCycle::checkBooks()
{
    const test::CliOutput check = test::runCli({"check", m_books->set.path()});
    QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
}

void TestPeriodCycle::wholeCycle()
{
    // Bills of this month, entered through the rules of bill entry; then the program opens.
    const QDate today = QDate::currentDate();
    const QString day = isoDateText(today.addDays(-today.day() + 1));
    test::Books &b = *m_books;
    b.bill(BillKind::StockIn, 1, {{1, 20, 2}, {2, 8, 5}}, day);
    b.bill(BillKind::Delivery, 2, {{1, 6, 3}}, day);
    b.bill(BillKind::Delivery, 3, {{1, 2, 3}, {2, 1, 6}}, day);
    b.bill(BillKind::Receipt, 2, {{1, 4, 3}}, day);
    const QString posted = counters(b.db());
    checkBooks();
    QVERIFY(m_app->start(b.set.path()));

    // The counters are rebuilt from the bills in the totals window, on its proposed range
    // reaching back far enough for every bill: the same figures as posting gave.
    QVERIFY(b.db().exec("UPDATE Goods SET HandInc = 0, HandIncMny = 0, CustHandInc = 0, Sold = 0"));
    m_app->command("nTotalTabs");
    auto *totals = test::control<TfrmTotalTabs>(&m_app->main(), "frmTotalTabs");
    QVERIFY(totals->isVisible());
    QCOMPARE(totals->ui.Label1->text(), QStringLiteral("未曾结转"));
    QVERIFY(totals->ui.edBeginDate->text() < day);
    totals->ui.edEndDate->setText(isoDateText(today));
    test::control<QPushButton>(totals, "SpeedButton3")->click();
    QVERIFY(totals->ui.Memo1->toPlainText().endsWith(PeriodOperations::recalcDoneText()));
    QCOMPARE(counters(b.db()), posted);
    test::control<QPushButton>(totals, "SpeedButton4")->click();
    QVERIFY(!totals->isVisible());

    // The bills behind goods item 2: the search narrows the program's bill lists to them.
    TfrmSearchTabs *search = m_app->app->context().searchTabs;
    QVERIFY(search->searchFor({QString(), "2", QString(), QString()}));
    TabData &tab = m_app->tab();
    QCOMPARE(test::columnOf(*tab.RuKu, "TabID"), QVariantList{1});
    QCOMPARE(test::columnOf(*tab.DiaoBo, "TabID"), QVariantList{2});
    QVERIFY(tab.ChuKu->isEmpty());
    m_app->prompter.queueAnswer(true);
    m_app->openWindow("frmSearchTabs");
    QVERIFY(search->close());
    QCOMPARE(tab.ChuKu->rowCount(), 1);

    // Carried forward from the menu, without a backup: the movements become the openings.
    m_app->prompter.clear();
    m_app->prompter.queueAnswer(false); // no backup
    m_app->prompter.queueAnswer(true);  // carry forward without one
    m_app->prompter.queueAnswer(true);  // the dates are in order
    m_app->command("N15");
    const QString dates = "上次结转时间:" + shortDateText(QDate(1899, 12, 30)) + ",当前时间:" + shortDateText(today);
    QCOMPARE(m_app->prompter.texts(), QStringList({"结转将改写期初，建议备份帐套数据。备份吗?",
                                                   "你选择不备份帐套数据，如果直接转入下期，则不能退回。转入下期吗？",
                                                   dates + "时间顺序正常，可以执行结转，继续吗?", "结转完毕！"}));
    QCOMPARE(b.goods("PrevOnHand", 1), 20.0 - 6 - 2);
    QCOMPARE(b.goods("HandInc", 1), 0.0);
    QCOMPARE(b.cust("PrevOnHand", 1, 2).toDouble(), 6.0 - 4);
    QCOMPARE(b.cust("Sold", 1, 2).toDouble(), 0.0);
    QCOMPARE(PeriodOperations::lastCarryForward(b.db()), today);
    checkBooks();

    // The next showing of the totals window starts at the carry-forward.
    m_app->command("nTotalTabs");
    QCOMPARE(totals->ui.edBeginDate->text(), isoDateText(today));
    QCOMPARE(totals->ui.Label1->text(), "上次结转于:" + isoDateText(today));
}

void TestPeriodCycle::clockBehindTheLastCarryForwardChangesNothing()
{
    m_books->bill(BillKind::Delivery, 2, {{1, 6, 3}});
    // The last carry-forward lies ahead of the clock.
    const QDate ahead = QDate::currentDate().addYears(1);
    QVERIFY(m_books->db().exec("UPDATE UserInfo SET 结转时间 = ?", {isoDateText(ahead)}));
    const QString before = counters(m_books->db());
    QVERIFY(m_app->start(m_books->set.path()));
    m_app->prompter.queueAnswer(false);
    m_app->prompter.queueAnswer(true);
    m_app->command("N15");
    QCOMPARE(m_app->prompter.lastText(), "上次结转时间:" + shortDateText(ahead) + ",当前时间:" + shortDateText(QDate::currentDate())
                                             + ",时间错位，取消本次结转。");
    QCOMPARE(m_app->prompter.entries().last().kind, Prompter::Kind::Warning);
    QCOMPARE(counters(m_books->db()), before);
    QCOMPARE(PeriodOperations::lastCarryForward(m_books->db()), ahead);
}

QTEST_MAIN(TestPeriodCycle)
#include "test_periodcycle.moc"
