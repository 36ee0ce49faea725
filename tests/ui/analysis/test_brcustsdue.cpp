// The receivables window driven as a user drives it: its two lists on the customer stock,
// the line filter, "客户" and "调阅单据".
#include "core/analysis/receivables.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/custstockbooks.h"
#include "support/gridrows.h"
#include "support/pickeranswers.h"
#include "support/testsupport.h"
#include "ui/analysis/billlookup.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/shell/tfrmmain.h"
#include "ui/analysis/tfrmbrcustsdue.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace hemu;
using test::clickRow;
using test::columnOf;
using test::PickerAnswer;
using test::rowOf;

class TestBrCustsDue : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillCustomerStock(set->path());
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void showsWhatIsOwed();
    void linesFollowTheFilterBox();
    void findCustomer_data();
    void findCustomer();
    void readAgainWhenOpenedAgain();
    void viewBills();
    void filteredLinesReadForTheCustomerGoneTo();
    void scrolledToTheEndAsAWholeRead_data();
    void scrolledToTheEndAsAWholeRead();

private:
    /// Thirty more customers (10 to 39) owing on goods 1 and 2.
    void addCustomers()
    {
        QStringList customers, stock;
        for (int c = 10; c < 40; ++c) {
            customers << QStringLiteral("(%1, '客户%1')").arg(c);
            stock << QStringLiteral("(%1, 1, %2, %3, 1, 5, 0, 0)").arg(c).arg(c % 4 + 1).arg(c * 2)
                  << QStringLiteral("(%1, 2, 1, %2, 0, 0, %3, 1)").arg(c).arg(c % 3 == 0 ? 1 : c).arg(c % 2);
        }
        test::execOn(set->path(), {"INSERT INTO Customers (CustID, CustName) VALUES " + customers.join(","),
                                   "INSERT INTO GoodsInCusts (CustID, GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, "
                                   "Sold, SoldMny) VALUES " + stock.join(",")});
    }
    TfrmBrCustsDue *open()
    {
        auto *window = qobject_cast<TfrmBrCustsDue *>(f->command("N11"));
        if (!window)
            qFatal("应收款项 opened no receivables window");
        return window;
    }
    Dataset &totals(TfrmBrCustsDue *w) { return *w->receivables().qSumDue; }
    Dataset &lines(TfrmBrCustsDue *w) { return *w->receivables().qCustsDue; }
    static QVariantList pairs(Dataset &ds)
    {
        QVariantList out;
        const QVariantList custs = columnOf(ds, "CustID"), goods = columnOf(ds, "GoodID");
        for (int i = 0; i < custs.size(); ++i)
            out << QStringLiteral("%1/%2").arg(custs[i].toInt()).arg(goods[i].toInt());
        return out;
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestBrCustsDue::showsWhatIsOwed()
{
    TfrmBrCustsDue *window = open();
    QCOMPARE(window->windowTitle(), QString("客户应收款统计"));
    QCOMPARE(test::control<QLabel>(window, "Panel1")->text(), QString(" 应收款统计"));
    QCOMPARE(test::control<QLabel>(window, "Panel2")->text(), QString(" 应收款明细"));
    auto *left = test::control<DataGrid>(window, "DBGrid4");
    auto *right = test::control<DataGrid>(window, "DBGridDue");
    QCOMPARE(left->dataset(), &totals(window));
    QCOMPARE(right->dataset(), &lines(window));

    // Left: customers whose amounts do not cancel out. 1's lines add up to nothing and 4
    // holds nothing; 2 has paid every piece but not the whole amount.
    QCOMPARE(columnOf(totals(window), "CustID"), (QVariantList{2, 3}));
    QCOMPARE(test::shownColumn(left, 2), (QStringList{"10", "38"}));
    QStringList titles;
    for (int c = 0; c < left->model()->columnCount(); ++c)
        titles << left->model()->headerData(c, Qt::Horizontal, DatasetModel::CaptionRole).toString();
    QCOMPARE(titles, (QStringList{"客户码", "客户名称", "总金额"}));

    // Right: lines with a quantity left, whatever their amount; 2's line has none, and 3's
    // line of a goods item without a unit on file is not there.
    QCOMPARE(pairs(lines(window)), (QVariantList{"1/1", "1/2", "3/1"}));
    titles.clear();
    for (int c = 0; c < right->model()->columnCount(); ++c)
        titles << right->model()->headerData(c, Qt::Horizontal, DatasetModel::CaptionRole).toString();
    QCOMPARE(titles, (QStringList{"客户名称", "产品码", "品名型号", "单位", "数量", "金额"}));
    QCOMPARE(test::shownColumn(right, 4), (QStringList{"2", "-2", "3"}));
    QCOMPARE(test::shownColumn(right, 5), (QStringList{"10.00", "-10.00", "30.00"}));
    QCOMPARE(test::shownColumn(right, 3), (QStringList{"个", "个", "个"}));
}

void TestBrCustsDue::linesFollowTheFilterBox()
{
    TfrmBrCustsDue *window = open();
    auto *left = test::control<DataGrid>(window, "DBGrid4");
    auto *box = test::control<QCheckBox>(window, "CheckBox3");
    QVERIFY(!box->isChecked());

    clickRow(left, 1);
    box->setChecked(true);
    QCOMPARE(pairs(lines(window)), (QVariantList{"3/1"}));
    // A click on another customer while the box is checked shows that customer's lines.
    clickRow(left, 0);
    QCOMPARE(pairs(lines(window)), QVariantList{});
    // An arrow key moves like a click.
    left->setFocus();
    QTest::keyClick(left, Qt::Key_Down);
    QCOMPARE(pairs(lines(window)), (QVariantList{"3/1"}));

    box->setChecked(false);
    QCOMPARE(pairs(lines(window)), (QVariantList{"1/1", "1/2", "3/1"}));
    // Unchecked, moving on the left leaves the lines alone.
    clickRow(left, 0);
    QCOMPARE(lines(window).rowCount(), 3);
}

void TestBrCustsDue::findCustomer_data()
{
    QTest::addColumn<PickerAnswer>("answer");
    QTest::addColumn<int>("customer");
    QTest::addColumn<int>("current");       // qSumDue's customer after it
    QTest::addColumn<QStringList>("texts"); // what the user was told
    QTest::newRow("owes") << PickerAnswer::Row << 2 << 2 << QStringList{};
    QTest::newRow("lines cancel out") << PickerAnswer::Row << 1 << 3 << QStringList{"客户无应收款。"};
    QTest::newRow("no stock at all") << PickerAnswer::Row << 5 << 3 << QStringList{"客户无应收款。"};
    QTest::newRow("cancelled") << PickerAnswer::Cancel << 0 << 3 << QStringList{};
}

void TestBrCustsDue::findCustomer()
{
    QFETCH(PickerAnswer, answer);
    QFETCH(int, customer);
    QFETCH(int, current);
    QFETCH(QStringList, texts);
    TfrmBrCustsDue *window = open();
    auto *box = test::control<QCheckBox>(window, "CheckBox3");
    clickRow(test::control<DataGrid>(window, "DBGrid4"), 1);
    box->setChecked(true);
    QCOMPARE(lines(window).rowCount(), 1);

    test::answerPicker<TfrmPickCusts>(answer, "客户码", customer);
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton1"), Qt::LeftButton);
    QCOMPARE(totals(window).value("CustID").toInt(), current);
    QCOMPARE(f->prompter.texts(), texts);
    // A pick, found or not, leaves every line shown and the box unchecked.
    const bool picked = answer == PickerAnswer::Row;
    QCOMPARE(box->isChecked(), !picked);
    QCOMPARE(lines(window).rowCount(), picked ? 3 : 1);
    QVERIFY(!totals(window).isFiltered());
}

void TestBrCustsDue::readAgainWhenOpenedAgain()
{
    TfrmBrCustsDue *window = open();
    test::execOn(set->path(), {"UPDATE GoodsInCusts SET HandIncMny = 3 WHERE CustID = 1 AND GoodID = 2"});
    // Not while it stays open.
    QCOMPARE(columnOf(totals(window), "CustID"), (QVariantList{2, 3}));
    window->closeWindow();
    QTRY_COMPARE(f->childCount(), 0);
    window = open();
    QCOMPARE(columnOf(totals(window), "CustID"), (QVariantList{1, 2, 3}));
    QCOMPARE(totals(window).value("smny").toDouble(), 13.0);
}

void TestBrCustsDue::viewBills()
{
    TfrmBrCustsDue *window = open();
    clickRow(test::control<DataGrid>(window, "DBGridDue"), 2); // customer 3, goods item 1
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton3"), Qt::LeftButton);
    if (!f->main().windowNames().contains("frmBusiness")) {
        QCOMPARE(f->prompter.texts(), QStringList{BillLookup::notAvailableText()});
        return;
    }
    TfrmSearchTabs *search = f->app->context().searchTabs;
    QVERIFY(search->isVisible());
    QCOMPARE(search->ui.EdGood->text(), QString("1"));
    QCOMPARE(search->ui.EdCust->text(), QString("3"));
    TabData &t = f->tab();
    QCOMPARE(columnOf(*t.RuKu, "TabID"), QVariantList{});
    QCOMPARE(columnOf(*t.DiaoBo, "TabID"), QVariantList{1});
    QCOMPARE(columnOf(*t.ChuKu, "TabID"), QVariantList{1});
}

void TestBrCustsDue::filteredLinesReadForTheCustomerGoneTo()
{
    addCustomers();
    TfrmBrCustsDue *window = open();
    Receivables whole(f->base().MyADOCnn());
    QVERIFY(whole.open().ok());
    auto *left = test::control<DataGrid>(window, "DBGrid4");
    test::control<QCheckBox>(window, "CheckBox3")->setChecked(true);
    for (const int row : {0, 7, 1, 31, 7}) {
        left->scrollTo(left->model()->index(row, 0));
        clickRow(left, row);
        const int custId = totals(window).value("CustID").toInt();
        QCOMPARE(custId, whole.qSumDue->value(row, whole.qSumDue->fieldIndex("CustID")).toInt());
        QVariantList expected;
        for (const QVariant &pair : pairs(*whole.qCustsDue)) {
            if (pair.toString().startsWith(QString::number(custId) + "/"))
                expected << pair;
        }
        // Only that customer's lines are read, and all of them.
        QCOMPARE(pairs(lines(window)), expected);
        QVERIFY(!lines(window).canFetchMore());
    }
}

void TestBrCustsDue::scrolledToTheEndAsAWholeRead_data()
{
    QTest::addColumn<int>("linesPage");
    QTest::addColumn<int>("totalsPage");
    QTest::newRow("one row a page") << 1 << 1;
    QTest::newRow("small pages") << 7 << 3;
    QTest::newRow("one page") << 500 << 100;
}

void TestBrCustsDue::scrolledToTheEndAsAWholeRead()
{
    QFETCH(int, linesPage);
    QFETCH(int, totalsPage);
    addCustomers();
    TfrmBrCustsDue *window = open();
    Receivables &shown = window->receivables();
    shown.readInPages(linesPage, totalsPage);
    QVERIFY(shown.open().ok());

    Receivables whole(f->base().MyADOCnn());
    QVERIFY(whole.open().ok());
    QCOMPARE(whole.qSumDue->rowCount(), 32);
    QVERIFY(test::scrollToEnd(test::control<DataGrid>(window, "DBGrid4")));
    QVERIFY(test::scrollToEnd(test::control<DataGrid>(window, "DBGridDue")));
    QCOMPARE(columnOf(totals(window), "CustID"), columnOf(*whole.qSumDue, "CustID"));
    QCOMPARE(columnOf(totals(window), "smny"), columnOf(*whole.qSumDue, "smny"));
    QCOMPARE(pairs(lines(window)), pairs(*whole.qCustsDue));
    QCOMPARE(columnOf(lines(window), "OnHandMny"), columnOf(*whole.qCustsDue, "OnHandMny"));
    QCOMPARE(test::control<DataGrid>(window, "DBGridDue")->model()->rowCount(), whole.qCustsDue->rowCount());
}

QTEST_MAIN(TestBrCustsDue)
#include "test_brcustsdue.moc"
