// The goods-flow window driven as a user drives it: its lines and colours, "检索",
// "过滤类别", "过滤", printing, and the purge of idle customer rows when it closes.
#include "core/analysis/goodsflow.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/analysis/billlookup.h"
#include "ui/analysis/tfrmbrgoodflow.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QtTest>

using namespace hemu;
using test::doubleClickRow;
using test::rowOf;

class TestBrGoodFlow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        test::execOn(set->path(),
                     {"UPDATE Goods SET HandInc = 0",
                      "UPDATE Goods SET PrevOnHand = 8, PrevOnHandMny = 6, CustHandInc = 2, CustHandIncMny = 3 WHERE GoodID = 101",
                      "UPDATE Goods SET HandInc = 20, HandIncMny = 50 WHERE GoodID = 103",
                      "INSERT INTO GoodsInCusts (GoodID, CustID, HandInc, HandIncMny, Sold, SoldMny) VALUES "
                      "(101, 2, 2, 3, 1, 1.5), (101, 1, 0, 0, 0, 0), (103, 1, 5, 16.25, 0, 0), (105, 3, 4, 32, 1, 8)"});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void linesAndColours();
    void findGoods_data();
    void findGoods();
    void categoryFilter();
    void printsTheList();
    void closingPurgesIdleCustomerRows();
    void viewBills();
    void scrolledToTheEndAsAWholeRead_data();
    void scrolledToTheEndAsAWholeRead();

private:
    TfrmBrGoodFlow *open()
    {
        auto *window = qobject_cast<TfrmBrGoodFlow *>(f->command("N17"));
        if (!window)
            qFatal("物流状态 opened no goods-flow window");
        return window;
    }
    /// "title: text" of everything said since the last clear().
    QStringList said()
    {
        QStringList out;
        for (const ScriptedPrompter::Entry &e : f->prompter.entries())
            out << Prompter::title(e.kind) + QStringLiteral(": ") + e.text;
        return out;
    }
    QStringList lines(TfrmBrGoodFlow *window)
    {
        Dataset &q = *window->flow().Qry;
        QStringList out;
        for (int row = 0; row < q.rowCount(); ++row)
            out << QStringLiteral("%1/%2").arg(q.value(row, q.fieldIndex("GoodID")).toInt()).arg(q.value(row, q.fieldIndex("CustID")).toInt());
        return out;
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestBrGoodFlow::linesAndColours()
{
    TfrmBrGoodFlow *window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("库存变动统计"));
    // 105 has no main-store figures but a customer holding it; 101/1 is idle.
    QCOMPARE(lines(window), (QStringList{"101/0", "101/2", "103/0", "103/1", "105/3"}));
    auto *grid = test::control<DataGrid>(window, "DBGridEh1");
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal, DatasetModel::CaptionRole).toString();
    QCOMPARE(titles, (QStringList{"客户码", "客户", "类别码", "类别", "货码", "品名型号", "单位", "期初|数量", "期初|金额", "入库|数量",
                                  "入库|金额", "出库|数量", "出库|金额", "库存|数量", "库存|金额"}));
    auto cell = [&](int row, int role) { return grid->model()->index(row, 0).data(role).value<QColor>(); };
    const QColor grey(240, 240, 240), cyan(210, 240, 240), blue(100, 100, 200);
    // Main-store lines are grey, selected black; the others alternate by record number.
    const struct
    {
        int row;
        QColor background, selected;
    } expected[] = {{0, grey, Qt::black}, {1, cyan, blue}, {2, grey, Qt::black}, {3, cyan, blue}, {4, grey, blue}};
    for (const auto &e : expected) {
        QCOMPARE(cell(e.row, Qt::BackgroundRole), e.background);
        QCOMPARE(cell(e.row, DatasetModel::SelectedBackgroundRole), e.selected);
        QCOMPARE(cell(e.row, DatasetModel::SelectedForegroundRole), QColor(Qt::white));
    }
    // The figures: zero shows empty.
    const int onHand = grid->datasetModel()->columnOf("OnHand");
    QCOMPARE(grid->model()->index(0, onHand).data().toString(), QStringLiteral("6.00"));
    QCOMPARE(grid->model()->index(3, grid->datasetModel()->columnOf("sold")).data().toString(), QString());
}

void TestBrGoodFlow::findGoods_data()
{
    QTest::addColumn<int>("goodId"); // 0: the picker is cancelled
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("found") << 103 << 2 << QStringList{"祝贺: 查找完毕，找到。"};
    // Otherwise the list stays on the line it stood on under the filter.
    QTest::newRow("no lines") << 104 << 4 << QStringList{"警告: 查找完毕，没有。"};
    QTest::newRow("cancelled") << 0 << 4 << QStringList{};
}

void TestBrGoodFlow::findGoods()
{
    QFETCH(int, goodId);
    QFETCH(int, row);
    QFETCH(QStringList, told);
    TfrmBrGoodFlow *window = open();
    Dataset &q = *window->flow().Qry;
    // A category filter in force goes first, even when the picker is then cancelled.
    QVERIFY(window->flow().filterCategory(3).ok());
    test::control<QCheckBox>(window, "CheckBox1")->setChecked(true);
    QCOMPARE(q.rowCount(), 1);
    test::whenModal<TfrmPickGoods>([&](TfrmPickGoods *picker) {
        auto *goods = test::control<DataGrid>(picker, "GoodsGrid");
        if (goodId)
            doubleClickRow(goods, rowOf(*f->base().lkGoods, "GoodID", goodId));
        if (picker->isVisible())
            picker->close();
    });
    f->prompter.clear();
    QTest::mouseClick(test::control<QPushButton>(window, "spSearch"), Qt::LeftButton);
    QCOMPARE(said(), told);
    QVERIFY(!q.isFiltered());
    QVERIFY(!test::control<QCheckBox>(window, "CheckBox1")->isChecked());
    QCOMPARE(q.rowCount(), 5);
    QCOMPARE(q.currentRow(), row);
}

void TestBrGoodFlow::categoryFilter()
{
    TfrmBrGoodFlow *window = open();
    Dataset &q = *window->flow().Qry;
    auto *box = test::control<QCheckBox>(window, "CheckBox1");
    auto pickCategory = [&](int cataId) {
        test::whenModal<TfrmPickCata>([&, cataId](TfrmPickCata *picker) {
            if (cataId)
                doubleClickRow(test::control<DataGrid>(picker, "DBGrid1"), rowOf(*f->base().Cata, "CataID", cataId));
            if (picker->isVisible())
                picker->close();
        });
        QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton2"), Qt::LeftButton);
    };
    pickCategory(2);
    QCOMPARE(lines(window), (QStringList{"103/0", "103/1"}));
    QVERIFY(box->isChecked());
    // Cancelling the picker keeps the filter; the box switches it off and on.
    pickCategory(0);
    QCOMPARE(q.rowCount(), 2);
    box->setChecked(false);
    QCOMPARE(q.rowCount(), 5);
    box->setChecked(true);
    QCOMPARE(q.rowCount(), 2);
    // "刷新" reads again under the same filter.
    test::execOn(set->path(), {"UPDATE Goods SET HandInc = 1 WHERE GoodID = 104"});
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton1"), Qt::LeftButton);
    QCOMPARE(lines(window), (QStringList{"103/0", "103/1", "104/0"}));
}

void TestBrGoodFlow::printsTheList()
{
    TfrmBrGoodFlow *window = open();
    QString title;
    test::whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog *preview) {
        title = test::control<DataGrid>(window, "DBGridEh1")->printTitle();
        preview->close();
    });
    QTest::mouseClick(test::control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("库存变动表"));
}

void TestBrGoodFlow::closingPurgesIdleCustomerRows()
{
    TfrmBrGoodFlow *window = open();
    QPointer<QWidget> alive(window);
    auto rows = [&] { return f->base().MyADOCnn().scalar("SELECT count(*) FROM GoodsInCusts").toInt(); };
    QCOMPARE(rows(), 4);
    // Another program holds the file: the purge fails, the user is told, the window stays.
    Database other(QStringLiteral("other program"));
    QVERIFY(other.open(set->path()));
    QVERIFY(other.exec("BEGIN IMMEDIATE"));
    QVERIFY(f->base().MyADOCnn().setBusyTimeout(50));
    f->prompter.clear();
    window->closeWindow();
    QVERIFY(alive);
    QCOMPARE(said(), (QStringList{"警告: 套帐正被其他用户使用，请稍后再试。"}));
    QVERIFY(other.exec("ROLLBACK"));
    window->closeWindow();
    QTRY_VERIFY(!alive);
    QCOMPARE(rows(), 3);
}

void TestBrGoodFlow::viewBills()
{
    // Bills of goods 103 for customers 1 and 2 and one of goods 101: a look-up from a
    // customer line finds the item's bills of every customer.
    f.reset();
    test::execOn(set->path(),
                 {"INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate, KindID) VALUES (1, 'RK-1', 1, '2026-03-01', 1)",
                  "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 103, 2.5, 20)",
                  "INSERT INTO DiaoBoDan (TabID, BookID, CustID, TabDate, KindID) VALUES (1, 'CK-1', 1, '2026-03-02', 2), "
                  "(2, 'CK-2', 2, '2026-03-02', 2), (3, 'CK-3', 2, '2026-03-03', 2)",
                  "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 103, 3.25, 5), (2, 1, 101, 1.5, 2), "
                  "(3, 1, 103, 3.25, 1)"});
    f = std::make_unique<test::AppFixture>();
    QVERIFY(f->start(set->path()));
    TfrmBrGoodFlow *window = open();
    auto *grid = test::control<DataGrid>(window, "DBGridEh1");
    QVERIFY(test::control<QPushButton>(window, "spViewTabs")->isEnabled());
    // The customer line 103/1: a double-click does what "调阅单据" does.
    doubleClickRow(grid, 3);
    if (!f->main().windowNames().contains("frmBusiness")) {
        QCOMPARE(f->prompter.texts(), QStringList{BillLookup::notAvailableText()});
        return;
    }
    TfrmSearchTabs *search = f->app->context().searchTabs;
    QVERIFY(f->main().findChild<QWidget *>("frmBusiness"));
    QVERIFY(search->isVisible());
    QCOMPARE(search->ui.EdGood->text(), QString("103"));
    QCOMPARE(search->ui.EdCust->text(), QString());
    TabData &t = f->tab();
    QCOMPARE(test::columnOf(*t.RuKu, "TabID"), QVariantList{1});
    QCOMPARE(test::columnOf(*t.DiaoBo, "TabID"), (QVariantList{1, 3}));
    QCOMPARE(test::columnOf(*t.ChuKu, "TabID"), QVariantList{});
}

void TestBrGoodFlow::scrolledToTheEndAsAWholeRead_data()
{
    // Pages ending on a main-store line and on a customer line.
    QTest::addColumn<int>("pageSize");
    for (int size : {1, 2, 3, 4, 500})
        QTest::addRow("%d a page", size) << size;
}

void TestBrGoodFlow::scrolledToTheEndAsAWholeRead()
{
    QFETCH(int, pageSize);
    TfrmBrGoodFlow *window = open();
    window->flow().readInPages(pageSize);
    window->refresh();
    auto *grid = test::control<DataGrid>(window, "DBGridEh1");
    QVERIFY(test::scrollToEnd(grid));
    GoodsFlow whole(f->base().MyADOCnn());
    QVERIFY(whole.open().ok());
    QCOMPARE(lines(window), (QStringList{"101/0", "101/2", "103/0", "103/1", "105/3"}));
    for (const QString &field : GoodsFlow::shownFields())
        QCOMPARE(test::columnOf(*window->flow().Qry, field), test::columnOf(*whole.Qry, field));
    QCOMPARE(grid->model()->rowCount(), 5);

    // "检索" of an item past the first page reads on to it and stops at its first line; an
    // item between two on the list, or past the last, is not found.
    const struct
    {
        qint64 goodId;
        int row; // -1: not found
    } searches[] = {{105, 4}, {103, 2}, {101, 0}, {102, -1}, {106, -1}, {0, -1}};
    for (const auto &s : searches) {
        window->flow().readInPages(pageSize);
        window->refresh();
        QCOMPARE(window->flow().findGoods(s.goodId), s.row >= 0);
        if (s.row >= 0) {
            QCOMPARE(window->flow().Qry->currentRow(), s.row);
            QCOMPARE(window->flow().Qry->value("GoodID").toLongLong(), s.goodId);
        }
    }
}

QTEST_MAIN(TestBrGoodFlow)
#include "test_tfrmbrgoodflow.moc"
