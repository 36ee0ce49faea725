// The stock-change browser driven as a user drives it: its pages over the shared stock views,
// the search and the category, customer and goods filters, refreshing, the row colours,
// printing and the clean-up of idle customer rows on close.
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/db/database.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/custstockbooks.h"
#include "support/gridrows.h"
#include "support/pickeranswers.h"
#include "support/testsupport.h"
#include "ui/analysis/billlookup.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/shell/tfrmmain.h"
#include "ui/analysis/tfrmbrtotal.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/widgets/browsergrid.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace hemu;
using test::clickRow;
using test::columnOf;
using test::PickerAnswer;

class TestBrTotal : public QObject
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

    void opensWithItsPages();
    void rowColours();
    void search_data();
    void search();
    void categoryFilter_data();
    void categoryFilter();
    void customerFilter_data();
    void customerFilter();
    void goodsFilterTakesTheGoodsRow();
    void refresh();
    void printsTheGoods();
    void closingPurgesIdleRows();
    void purgeRefusedKeepsTheWindowOnce();
    void viewBills();

private:
    TfrmBrTotal *open()
    {
        auto *window = qobject_cast<TfrmBrTotal *>(f->command("nViewTotal"));
        if (!window)
            qFatal("库存变动 opened no stock-change browser");
        return window;
    }
    Dataset &goods() { return *f->tab().Goods; }
    Dataset &stock() { return *f->tab().GoodsInCusts; }
    QVariantList stockRows()
    {
        QVariantList out;
        const QVariantList custs = columnOf(stock(), "CustID"), items = columnOf(stock(), "GoodID");
        for (int i = 0; i < custs.size(); ++i)
            out << QStringLiteral("%1/%2").arg(custs[i].toInt()).arg(items[i].toInt());
        return out;
    }
    void click(TfrmBrTotal *window, const char *name)
    {
        QTest::mouseClick(test::control<QPushButton>(window, name), Qt::LeftButton);
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestBrTotal::opensWithItsPages()
{
    TfrmBrTotal *window = open();
    QCOMPARE(window->windowTitle(), QString("库存变动"));
    auto *pages = test::control<QTabWidget>(window, "PageControl1");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QString("库存变动"));
    QCOMPARE(pages->tabText(1), QString("应收款变动"));
    QCOMPARE(pages->widget(0)->objectName(), QString("TabSheetTotal"));
    QCOMPARE(pages->widget(1)->objectName(), QString("TabSheet1"));

    auto *goodsGrid = test::control<DataGrid>(window, "DBGridEh1");
    auto *stockGrid = test::control<DataGrid>(window, "DBGridEh2");
    QCOMPARE(goodsGrid->dataset(), &goods());
    QCOMPARE(stockGrid->dataset(), &stock());
    QVERIFY(goodsGrid->isReadOnly() && stockGrid->isReadOnly());
    QStringList titles;
    for (const GridColumn &c : goodsGrid->columns())
        titles << c.title;
    QCOMPARE(titles.size(), 20);
    QCOMPARE(titles.mid(0, 7), (QStringList{"类别码", "类别", "品名型号", "商品码", "单位", "期初|数量", "期初|金额"}));
    QCOMPARE(titles.last(), QString("排序"));
    titles.clear();
    for (const GridColumn &c : stockGrid->columns())
        titles << c.title;
    QCOMPARE(titles.mid(0, 5), (QStringList{"客户|代码", "客户|名称", "商品|代码", "商品|品名型号", "单位"}));
    QCOMPARE(titles.last(), QString("累计应收|金额"));

    // The derived figures: 矿泉水 has 10 + 5 - 4 in the store and 7 + 4 - 6 at customers.
    const int row = test::rowOf(goods(), "GoodID", 1);
    auto cell = [&](DataGrid *grid, int r, const char *field) {
        return grid->model()->index(r, grid->datasetModel()->columnOf(field)).data().toString();
    };
    QCOMPARE(cell(goodsGrid, row, "OnHand"), QString("11.0"));
    QCOMPARE(cell(goodsGrid, row, "OnCustHand"), QString("5.0"));
    QCOMPARE(cell(goodsGrid, row, "lkCataName"), QString("饮料"));
    const int line = test::rowOf(stock(), "CustID", 3);
    QCOMPARE(cell(stockGrid, line, "OnHand"), QString("3.0"));
    QCOMPARE(cell(stockGrid, line, "lkCustName"), QString("王五百货"));

    // The tool button and the menu item open one window between them.
    QCOMPARE(f->command("spViewTotal"), static_cast<QWidget *>(window));
    QCOMPARE(f->childCount(), 1);
}

void TestBrTotal::rowColours()
{
    TfrmBrTotal *window = open();
    for (const char *name : {"DBGridEh1", "DBGridEh2"}) {
        auto *grid = test::control<DataGrid>(window, name);
        QVERIFY(grid->model()->rowCount() >= 3);
        // Odd record numbers (the first, third...) light grey, even ones light cyan.
        const QColor expected[] = {BrowserGrid::oddRow(), BrowserGrid::evenRow(), BrowserGrid::oddRow()};
        for (int row = 0; row < 3; ++row)
            QCOMPARE(grid->model()->index(row, 2).data(Qt::BackgroundRole).value<QColor>(), expected[row]);
        QCOMPARE(expected[0], QColor(240, 240, 240));
        QCOMPARE(expected[1], QColor(210, 240, 240));
        // The selection: blue with white text, also while another control has the keyboard.
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            QCOMPARE(grid->palette().color(group, QPalette::Highlight), QColor(100, 100, 200));
            QCOMPARE(grid->palette().color(group, QPalette::HighlightedText), QColor(Qt::white));
        }
    }
}

void TestBrTotal::search_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantList>("shown");
    QTest::newRow("description") << 0 << "汽水" << QVariantList{2};
    QTest::newRow("code") << 1 << "3" << QVariantList{3};
    QTest::newRow("nothing matches") << 0 << "咖啡" << QVariantList{};
}

void TestBrTotal::search()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QVariantList, shown);
    TfrmBrTotal *window = open();
    test::control<QComboBox>(window, "ComboBox1")->setCurrentIndex(kind);
    auto *edit = test::control<QLineEdit>(window, "edSearch");
    edit->setText(text); // typed: key clicks carry no CJK text
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(columnOf(goods(), "GoodID"), shown);
    QVERIFY(test::control<QCheckBox>(window, "CheckBox2")->isChecked());
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestBrTotal::categoryFilter_data()
{
    QTest::addColumn<PickerAnswer>("answer");
    QTest::addColumn<QVariantList>("shown");
    // Goods 2 of category 1 is out of use.
    QTest::newRow("category picked") << PickerAnswer::Row << QVariantList{1};
    QTest::newRow("cancelled") << PickerAnswer::Cancel << QVariantList{1, 2, 3};
    QTest::newRow("全体产品...") << PickerAnswer::All << QVariantList{1, 2, 3};
}

void TestBrTotal::categoryFilter()
{
    QFETCH(PickerAnswer, answer);
    QFETCH(QVariantList, shown);
    TfrmBrTotal *window = open();
    auto *box = test::control<QCheckBox>(window, "CheckBox2");
    // Another category was filtered before: no answer but a category keeps it.
    test::answerPicker<TfrmPickCata>(PickerAnswer::Row, "CataID", 2);
    click(window, "SpeedButton2");
    QCOMPARE(columnOf(goods(), "GoodID"), QVariantList{3});
    QVERIFY(box->isChecked());

    test::answerPicker<TfrmPickCata>(answer, "CataID", 1);
    click(window, "SpeedButton2");
    QCOMPARE(columnOf(goods(), "GoodID"), shown);
    QCOMPARE(box->isChecked(), answer == PickerAnswer::Row);

    // The box switches filtering off and on again with the filter the view holds.
    box->setChecked(false);
    QCOMPARE(columnOf(goods(), "GoodID"), (QVariantList{1, 2, 3}));
    box->setChecked(true);
    QCOMPARE(columnOf(goods(), "GoodID"), answer == PickerAnswer::Row ? QVariantList{1} : QVariantList{3});
}

void TestBrTotal::customerFilter_data()
{
    QTest::addColumn<PickerAnswer>("answer");
    QTest::addColumn<QVariantList>("shown");
    QTest::newRow("customer picked") << PickerAnswer::Row << QVariantList{"3/1", "3/3"};
    QTest::newRow("cancelled") << PickerAnswer::Cancel << QVariantList{"1/1", "1/2", "2/1", "3/1", "3/3", "4/2", "5/1"};
}

void TestBrTotal::customerFilter()
{
    QFETCH(PickerAnswer, answer);
    QFETCH(QVariantList, shown);
    TfrmBrTotal *window = open();
    test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(1);
    test::answerPicker<TfrmPickCusts>(PickerAnswer::Row, "客户码", 1);
    click(window, "SpeedButton4");
    QCOMPARE(stockRows(), (QVariantList{"1/1", "1/2"}));
    test::answerPicker<TfrmPickCusts>(answer, "客户码", 3);
    click(window, "SpeedButton4");
    QCOMPARE(stockRows(), shown);
}

void TestBrTotal::goodsFilterTakesTheGoodsRow()
{
    TfrmBrTotal *window = open();
    auto *pages = test::control<QTabWidget>(window, "PageControl1");
    auto *box = test::control<QCheckBox>(window, "CheckBox1");
    // Straight to the second page: the goods row is the first one.
    pages->setCurrentIndex(1);
    box->setChecked(true);
    QCOMPARE(stockRows(), (QVariantList{"1/1", "2/1", "3/1", "5/1"}));
    box->setChecked(false);
    QCOMPARE(stockRows().size(), 7);

    pages->setCurrentIndex(0);
    clickRow(test::control<DataGrid>(window, "DBGridEh1"), test::rowOf(goods(), "GoodID", 3));
    pages->setCurrentIndex(1);
    box->setChecked(true);
    QCOMPARE(stockRows(), (QVariantList{"3/3"}));
}

void TestBrTotal::refresh()
{
    TfrmBrTotal *window = open();
    // Another program posts meanwhile.
    test::execOn(set->path(), {"UPDATE Goods SET HandInc = 9 WHERE GoodID = 1",
                               "UPDATE GoodsInCusts SET Sold = 2 WHERE CustID = 3 AND GoodID = 1"});
    QCOMPARE(goods().value("HandInc").toDouble(), 5.0);
    click(window, "SpeedButton1");
    QVERIFY(goods().locate("GoodID", 1));
    QCOMPARE(goods().value("HandInc").toDouble(), 9.0);

    // The customer page's button reads the rows it shows.
    QVERIFY(stock().locate(QStringList{"CustID", "GoodID"}, QVariantList{3, 1}));
    QCOMPARE(stock().value("Sold").toDouble(), 1.0);
    click(window, "SpeedButton6");
    QVERIFY(stock().locate(QStringList{"CustID", "GoodID"}, QVariantList{3, 1}));
    QCOMPARE(stock().value("Sold").toDouble(), 2.0);
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestBrTotal::printsTheGoods()
{
    TfrmBrTotal *window = open();
    bool previewed = false;
    test::whenModal<QPrintPreviewDialog>([&previewed](QPrintPreviewDialog *preview) {
        previewed = true;
        preview->reject();
    });
    click(window, "Button1");
    QVERIFY(previewed);
    QCOMPARE(test::control<DataGrid>(window, "DBGridEh1")->printTitle(), QString("库存变动表"));
}

void TestBrTotal::closingPurgesIdleRows()
{
    TfrmBrTotal *window = open();
    QVERIFY(stockRows().contains("5/1"));
    window->closeWindow();
    QTRY_COMPARE(f->childCount(), 0);
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT count(*) FROM GoodsInCusts WHERE CustID = 5").toInt(), 0);
    // Rows that hold anything stay, also one whose figures add up to nothing.
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 6);
    open();
    QVERIFY(!stockRows().contains("5/1"));
    QCOMPARE(stockRows().size(), 6);
}

void TestBrTotal::purgeRefusedKeepsTheWindowOnce()
{
    TfrmBrTotal *window = open();
    QVERIFY(f->base().MyADOCnn().setBusyTimeout(20));
    Database other;
    QVERIFY(other.open(set->path()));
    QVERIFY(other.exec("BEGIN IMMEDIATE")); // another program holds the file

    window->closeWindow();
    QCOMPARE(f->prompter.texts().size(), 1);
    QCOMPARE(f->childCount(), 1);
    QVERIFY(window->isVisible());
    // The second attempt closes: nothing is lost by keeping idle rows.
    window->closeWindow();
    QTRY_COMPARE(f->childCount(), 0);
    QCOMPARE(f->prompter.texts().size(), 2);
    QVERIFY(other.exec("ROLLBACK"));
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 7);
}

void TestBrTotal::viewBills()
{
    TfrmBrTotal *window = open();
    auto *goodsGrid = test::control<DataGrid>(window, "DBGridEh1");
    // A double-click on a goods row does what "调阅单据" does.
    test::doubleClickRow(goodsGrid, test::rowOf(goods(), "GoodID", 1));
    if (!f->main().windowNames().contains("frmBusiness")) {
        QCOMPARE(f->prompter.texts(), QStringList{BillLookup::notAvailableText()});
        return;
    }
    auto billsFound = [this] {
        TabData &t = f->tab();
        return QVariantList{columnOf(*t.RuKu, "TabID"), columnOf(*t.DiaoBo, "TabID"), columnOf(*t.ChuKu, "TabID")};
    };
    TfrmSearchTabs *search = f->app->context().searchTabs;
    QVERIFY(f->main().findChild<QWidget *>("frmBusiness"));
    QVERIFY(search->isVisible());
    QCOMPARE(search->ui.EdGood->text(), QString("1"));
    QCOMPARE(search->ui.EdCust->text(), QString());
    // Every bill with a line of goods item 1, of every kind.
    QCOMPARE(billsFound(), (QVariantList{QVariantList{1}, QVariantList{1, 2}, QVariantList{1}}));

    // The customer page: the customer's bills with that goods item (a stock-in bill would need
    // a vendor with the customer's number).
    test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(1);
    QVERIFY(stock().locate(QStringList{"CustID", "GoodID"}, QVariantList{3, 1}));
    click(window, "spViewTabs1");
    QCOMPARE(search->ui.EdCust->text(), QString("3"));
    QCOMPARE(billsFound(), (QVariantList{QVariantList{}, QVariantList{1}, QVariantList{1}}));
}

QTEST_MAIN(TestBrTotal)
#include "test_brtotal.moc"
