// The market-information window: its lists, and the charts following the goods row.
#include "core/analysis/marketinfo.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/analysis/datelinechart.h"
#include "ui/analysis/tfrmmarketinfo.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QDateTimeAxis>
#include <QLineEdit>
#include <QLineSeries>
#include <QTabWidget>
#include <QValueAxis>
#include <QtTest>

using namespace hemu;
using test::clickRow;
using test::rowOf;

class TestMarketInfoWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        // 101 bought on two days (twice on 3-9), 103 once, the others never.
        test::execOn(set->path(), {"INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate) VALUES "
                                   "(1, 'RK-1', 1, '2026-03-09'), (2, 'RK-2', 2, '2026-03-02'), (3, 'RK-3', 1, '2026-03-09')",
                                   "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES "
                                   "(1, 1, 101, 1000, 1.5), (2, 1, 101, 0.5, 10), (3, 1, 101, 1469, 1), (2, 2, 103, 2, 3)"});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void opensWithChartsOfTheFirstItem();
    void chartsFollowTheGoodsRow();
    void searchAndCategoryFilter();
    void failedReadWarns();

private:
    TfrmMarketInfo *open()
    {
        auto *window = qobject_cast<TfrmMarketInfo *>(f->command("nShowMarket"));
        if (!window)
            qFatal("市场行情 opened no market-information window");
        return window;
    }
    static QList<double> values(DateLineChart *chart)
    {
        QList<double> out;
        for (const QPointF &p : chart->series()->points())
            out << p.y();
        return out;
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestMarketInfoWindow::opensWithChartsOfTheFirstItem()
{
    TfrmMarketInfo *window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("市场行情"));
    auto *goods = test::control<DataGrid>(window, "DBGrid2");
    QStringList titles;
    for (int c = 0; c < goods->model()->columnCount(); ++c)
        titles << goods->model()->headerData(c, Qt::Horizontal, DatasetModel::CaptionRole).toString();
    QCOMPARE(titles, (QStringList{"类别码", "商品码", "品名型号", "单位", "最近购入价", "三次滑动购入均价", "最近销售价", "三次滑动销售均价"}));
    auto *pages = test::control<QTabWidget>(window, "PageControl1");
    QCOMPARE(pages->tabText(0), QStringLiteral("行情"));
    QCOMPARE(pages->tabText(1), QStringLiteral("采购金额"));
    QCOMPARE(pages->tabPosition(), QTabWidget::South);

    // The first goods row is 101: two dates, ascending.
    auto *price = test::control<DateLineChart>(window, "DBChartPrice");
    QCOMPARE(price->title(), QStringLiteral("矿泉水 市场行情"));
    QCOMPARE(test::control<DateLineChart>(window, "DBChartQty")->title(), QStringLiteral("矿泉水 购入数量"));
    QCOMPARE(values(price), (QList<double>{0.5, 1234.5}));
    QCOMPARE(price->valueTexts(), (QStringList{"0.5", "1,234.5"}));
    QCOMPARE(price->dateAxis()->min().date(), QDate(2026, 3, 2));
    QCOMPARE(price->valueAxis()->min(), 0.0);
    QCOMPARE(price->valueAxis()->labelsColor(), QColor(Qt::red));
    QCOMPARE(price->dateAxis()->titleText(), QStringLiteral("日期"));
    QCOMPARE(price->valueAxis()->titleText(), QStringLiteral("价格"));
    QVERIFY(price->series()->pointsVisible());
    QCOMPARE(values(test::control<DateLineChart>(window, "DBChartQty")), (QList<double>{10, 2.5}));
    QCOMPARE(values(test::control<DateLineChart>(window, "DBChart2")), (QList<double>{5, 2969}));
    QCOMPARE(test::control<DateLineChart>(window, "DBChart2")->valueTexts(), (QStringList{"5", "2,969"}));
    // All goods per date, read once.
    QCOMPARE(values(test::control<DateLineChart>(window, "DBChart1")), (QList<double>{11, 2969}));
}

void TestMarketInfoWindow::chartsFollowTheGoodsRow()
{
    TfrmMarketInfo *window = open();
    Dataset &goods = *window->market().Goods;
    auto *grid = test::control<DataGrid>(window, "DBGrid2");
    auto *price = test::control<DateLineChart>(window, "DBChartPrice");
    const struct
    {
        int goodId;
        QString title;
        QList<double> prices;
    } steps[] = {{103, "饼干'甜' 市场行情", {2}}, {105, "牙膏 市场行情", {}}, {101, "矿泉水 市场行情", {0.5, 1234.5}}};
    for (const auto &step : steps) {
        clickRow(grid, rowOf(goods, "GoodID", step.goodId));
        QCOMPARE(price->title(), step.title);
        QCOMPARE(values(price), step.prices);
    }
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestMarketInfoWindow::searchAndCategoryFilter()
{
    TfrmMarketInfo *window = open();
    Dataset &goods = *window->market().Goods;
    auto *edit = test::control<QLineEdit>(window, "edSearch");
    edit->setText(QStringLiteral("饼"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(test::columnOf(goods, "GoodID"), (QVariantList{103, 104}));
    QCOMPARE(test::control<DateLineChart>(window, "DBChartPrice")->title(), QStringLiteral("饼干'甜' 市场行情"));
    // The shared goods of the program are not filtered by it.
    QVERIFY(!f->base().Goods->isFiltered());

    auto *box = test::control<QCheckBox>(window, "CheckBox1");
    clickRow(test::control<DataGrid>(window, "DBGrid1"), rowOf(*window->market().Cata, "CataID", 3));
    box->setChecked(true);
    QCOMPARE(test::columnOf(goods, "GoodID"), (QVariantList{105}));
    box->setChecked(false);
    QCOMPARE(goods.rowCount(), 5);
}

void TestMarketInfoWindow::failedReadWarns()
{
    TfrmMarketInfo *window = open();
    Dataset &goods = *window->market().Goods;
    auto *grid = test::control<DataGrid>(window, "DBGrid2");
    // Another program takes the stock-in lines away: the next item cannot be read.
    test::execOn(set->path(), {"ALTER TABLE RuKuMx RENAME TO RuKuMxGone"});
    f->prompter.clear();
    clickRow(grid, rowOf(goods, "GoodID", 103));
    QCOMPARE(f->prompter.texts(), QStringList{"异常：query"});
    QVERIFY(values(test::control<DateLineChart>(window, "DBChartPrice")).isEmpty());
}

QTEST_MAIN(TestMarketInfoWindow)
#include "test_tfrmmarketinfo.moc"
