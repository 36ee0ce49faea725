// The statement window driven as a user drives it: opened from the 统计 menu and from the
// receivables window, the customer picked, the dates changed, the age page, the printed statement.
#include "core/analysis/custstatement.h"
#include "core/analysis/receivables.h"
#include "core/db/database.h"
#include "core/reports/textexport.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/pickeranswers.h"
#include "support/statementbooks.h"
#include "support/testsupport.h"
#include "ui/analysis/tfrmbrcustsdue.h"
#include "ui/analysis/tfrmcuststatement.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace hemu;
using test::columnOf;

class TestCustStatementWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        {
            Database db;
            QVERIFY(db.open(set->path()));
            QString error;
            QVERIFY2(test::fillStatementBooks(db, &error), qPrintable(error));
        }
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void fromTheMenu();
    void datesAndAges();
    void fromTheReceivables();
    void pickedCustomer();
    void printed();

private:
    TfrmCustStatement *open()
    {
        auto *window = qobject_cast<TfrmCustStatement *>(f->command("nCustStatement"));
        if (!window)
            qFatal("客户对账单 opened no statement window");
        return window;
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestCustStatementWindow::fromTheMenu()
{
    TfrmCustStatement *window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("客户对账单"));
    // The first customer holding goods, from the day after the last carry-forward.
    QCOMPARE(window->customer(), 1);
    QCOMPARE(test::control<QLabel>(window, "lbCustomer")->text(), QStringLiteral("1  东店"));
    QCOMPARE(test::control<QDateEdit>(window, "edFrom")->date(), QDate(2026, 3, 1));
    auto *tabs = test::control<QTabWidget>(window, "PageControl1");
    QCOMPARE(tabs->tabText(0), QStringLiteral("对账单"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("存货账龄"));

    window->setRange(QDate(2026, 3, 1), QDate(2026, 3, 31));
    auto *goods = test::control<DataGrid>(window, "DBGridGoods");
    QCOMPARE(columnOf(*goods->dataset(), "GoodID"), (QVariantList{1, 2, 3}));
    // 期初 8 68, 送货 4 40, 收款 3 36, 退款 1 12, 期末 10 84 for goods 1, as the window shows them.
    QCOMPARE(test::shownColumn(goods, 3), (QStringList{"8", "3", ""}));
    QCOMPARE(test::shownColumn(goods, 4), (QStringList{"68.00", "12.00", ""}));
    QCOMPARE(test::shownColumn(goods, 13), (QStringList{"10", "1", "2"}));
    QCOMPARE(test::shownColumn(goods, 14), (QStringList{"84.00", "2.00", "5.00"}));
    QCOMPARE(test::control<QLabel>(window, "lbTotals")->text(),
             QStringLiteral("期初 80.00    送货 45.00    退货 0.00    收款 46.00    退款 12.00    期末 91.00"));
    auto *bills = test::control<DataGrid>(window, "DBGridBills");
    QCOMPARE(test::shownColumn(bills, 0), (QStringList{"2026-03-03", "2026-03-15", "2026-03-20"}));
    QCOMPARE(test::shownColumn(bills, 1), (QStringList{"收款单", "收款单", "送货单"}));
    QCOMPARE(test::shownColumn(bills, 4), (QStringList{"46.00", "-12.00", "45.00"}));
}

void TestCustStatementWindow::datesAndAges()
{
    TfrmCustStatement *window = open();
    auto *from = test::control<QDateEdit>(window, "edFrom");
    auto *to = test::control<QDateEdit>(window, "edTo");
    to->setDate(QDate(2026, 2, 28));
    // Dates set one after the other may pass through a range that runs backwards: said
    // under the figures, without a box each time.
    QCOMPARE(test::control<QLabel>(window, "lbTotals")->text(), CustStatement::badRangeText());
    QVERIFY(f->prompter.texts().isEmpty());
    from->setDate(QDate(2026, 2, 1));
    QCOMPARE(columnOf(*window->statement().qStatement, "endQty"), (QVariantList{8.0, 3.0}));

    // The ages count to the last day; every customer, or the one shown.
    to->setDate(QDate(2026, 7, 15));
    Dataset &ages = *window->statement().qHeldAge;
    QCOMPARE(ages.rowCount(), 5);
    test::control<QCheckBox>(window, "cbThisCustomer")->setChecked(true);
    QCOMPARE(columnOf(ages, "GoodID"), (QVariantList{1, 2, 3}));
    QCOMPARE(columnOf(ages, "age181"), (QVariantList{6.0, 1.0, 0.0}));
    QCOMPARE(columnOf(ages, "age91"), (QVariantList{4.0, 0.0, 2.0}));
}

void TestCustStatementWindow::fromTheReceivables()
{
    auto *due = qobject_cast<TfrmBrCustsDue *>(f->command("N11"));
    QVERIFY(due);
    auto *owed = test::control<DataGrid>(due, "DBGrid4");
    const int row = test::rowOf(*owed->dataset(), "CustID", 2);
    QVERIFY(row >= 0);
    test::clickRow(owed, row);
    QTest::mouseClick(test::control<QPushButton>(due, "btnStatement"), Qt::LeftButton);
    auto *window = qobject_cast<TfrmCustStatement *>(f->activeChild());
    QVERIFY(window);
    QCOMPARE(window->customer(), 2);
    window->setRange(QDate(2026, 1, 1), QDate(2026, 12, 31));
    // What the statement ends with is what the receivables window shows the customer owes.
    QCOMPARE(window->statement().totals().endMny, due->receivables().qSumDue->value(QStringLiteral("smny")).toDouble());

    // A second "对账单" brings the same window forward on the other customer.
    test::clickRow(owed, test::rowOf(*owed->dataset(), "CustID", 1));
    QTest::mouseClick(test::control<QPushButton>(due, "btnStatement"), Qt::LeftButton);
    QCOMPARE(f->activeChild(), window);
    QCOMPARE(window->customer(), 1);
}

void TestCustStatementWindow::pickedCustomer()
{
    TfrmCustStatement *window = open();
    window->setRange(QDate(2026, 1, 1), QDate(2026, 12, 31));
    test::answerPicker<TfrmPickCusts>(test::PickerAnswer::Row, "客户码", 3);
    QTest::mouseClick(test::control<QPushButton>(window, "btnCustomer"), Qt::LeftButton);
    QCOMPARE(window->customer(), 3);
    QCOMPARE(test::control<QLabel>(window, "lbCustomer")->text(), QStringLiteral("3  南店"));
    // Paid for 2 it was never delivered: it ends holding -2.
    QCOMPARE(columnOf(*window->statement().qStatement, "paidQty"), (QVariantList{2.0}));
    QCOMPARE(columnOf(*window->statement().qStatement, "endMny"), (QVariantList{-10.0}));

    // A cancelled picker leaves the statement as it was.
    test::answerPicker<TfrmPickCusts>(test::PickerAnswer::Cancel);
    QTest::mouseClick(test::control<QPushButton>(window, "btnCustomer"), Qt::LeftButton);
    QCOMPARE(window->customer(), 3);
}

void TestCustStatementWindow::printed()
{
    TfrmCustStatement *window = open();
    window->setRange(QDate(2026, 3, 1), QDate(2026, 3, 31));
    auto *print = test::control<QPushButton>(window, "btPrint");
    QCOMPARE(print->text(), QStringLiteral("打印"));
    print->click();
    ReportWindow *report = f->app->context().preview->shownReport();
    QVERIFY(report);
    QCOMPARE(report->objectName(), QStringLiteral("frmRepCustStatement"));
    QCOMPARE(report->parent(), window);
    report->store()->finishNow();
    QStringList lines = reports::textexport::toText(report->store()->model()).split(QLatin1Char('\n'));
    for (QString &l : lines)
        l = l.simplified();
    for (const QString &want : {QStringLiteral("客户：1 东店 日期：2026-03-01 至 2026-03-31"),
                                QStringLiteral("合计 11 80.00 6 45.00 5 46.00 1 12.00 13 91.00"), QStringLiteral("客户签字：")})
        QVERIFY2(!lines.filter(want).isEmpty(), qPrintable(want + QLatin1Char('\n') + lines.join(QLatin1Char('\n'))));
    f->app->context().preview->close();

    // A range that runs backwards prints nothing and says why.
    test::control<QDateEdit>(window, "edTo")->setDate(QDate(2026, 2, 1));
    QVERIFY(f->prompter.texts().isEmpty());
    print->click();
    QCOMPARE(f->prompter.texts(), (QStringList{CustStatement::badRangeText()}));
    QVERIFY(!f->app->context().preview->shownReport());
}

QTEST_MAIN(TestCustStatementWindow)
#include "test_custstatement_window.moc"
