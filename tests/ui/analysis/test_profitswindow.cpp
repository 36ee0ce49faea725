// The profit window as the user meets it: the category pie and its label modes, the list,
// the totals of a selection and of the whole period, and the category filter.
#include "core/analysis/profits.h"
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/testsupport.h"
#include "ui/analysis/categorypie.h"
#include "ui/analysis/tfrmprofits.h"
#include "ui/masterdata/tfrmpickcata.h"

#include <QLabel>
#include <QPieSeries>
#include <QPieSlice>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

class TestProfitsWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pieAndLabelModes();
    void selectionAndPeriodTotals();
    void categoryFilter();

private:
    TfrmProfits *open();
    test::TempAccountSet *m_set = nullptr;
    test::AppFixture *m_f = nullptr;
};

void TestProfitsWindow::init()
{
    m_set = new test::TempAccountSet;
    {
        Database db;
        QVERIFY(db.open(m_set->path()));
        QVERIFY(db.exec("INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料'), (2, '食品'), (3, '日用')"));
        QVERIFY(db.exec("INSERT INTO Goods(GoodID, Description, CataID, SoldMny, Sold) VALUES "
                        "(1, '矿泉水', 1, 100, 10), (2, '可乐', 1, 50, 5), (3, '饼干', 2, 300, 20), (4, '牙膏', 3, 0, 0)"));
        // The cola has no average price: out of the list and the totals, in the pie.
        QVERIFY(db.exec("INSERT INTO GoodsAvgPrice(GoodID, CostAvgPrice) VALUES (1, 6), (3, 12), (4, 2)"));
    }
    m_f = new test::AppFixture;
}

void TestProfitsWindow::cleanup()
{
    delete m_f;
    delete m_set;
}

TfrmProfits *TestProfitsWindow::open()
{
    if (!m_f->start(m_set->path()))
        return nullptr;
    return qobject_cast<TfrmProfits *>(m_f->command("nProfitAnalyse"));
}

void TestProfitsWindow::pieAndLabelModes()
{
    TfrmProfits *window = open();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("经营状况"));
    QCOMPARE(window->ui.PageControl1->currentIndex(), 0);
    QCOMPARE(window->ui.PageControl1->tabText(0), QStringLiteral("图表分析"));
    QCOMPARE(window->ui.PageControl1->tabText(1), QStringLiteral("统计分析"));
    QCOMPARE(window->ui.PageControl1->tabPosition(), QTabWidget::South);
    CategoryPie *pie = window->ui.DBChart1;
    QCOMPARE(pie->titleLabel()->text(), QStringLiteral("产品销售份额（类别统计）"));
    QCOMPARE(pie->series()->name(), QStringLiteral("类别统计"));
    // Largest first; a category that sold nothing has no slice.
    QCOMPARE(pie->series()->count(), 2);
    QStringList marks;
    for (QPieSlice *slice : pie->series()->slices())
        marks << slice->label();
    QCOMPARE(marks, (QStringList{"66.67 %", "33.33 %"}));
    QCOMPARE(pie->legendTexts(), (QStringList{"食品  300", "饮料  150"}));

    window->ui.SpeedButton3->click(); // 显示数值
    QCOMPARE(pie->series()->slices().at(0)->label(), QStringLiteral("300"));
    QCOMPARE(pie->legendTexts(), (QStringList{"300  食品", "150  饮料"}));
    window->ui.SpeedButton2->click(); // 显示百分比
    QCOMPARE(pie->series()->slices().at(1)->label(), QStringLiteral("33.33 %"));
    QCOMPARE(pie->legendTexts(), (QStringList{"66.67 %  食品", "33.33 %  饮料"}));

    // Redrawing reads the sales again and keeps the label mode.
    QVERIFY(m_f->base().MyADOCnn().exec("UPDATE Goods SET SoldMny = 5000 WHERE GoodID = 4"));
    window->ui.spDraw->click();
    QCOMPARE(pie->series()->count(), 3);
    QCOMPARE(pie->legendTexts().first(), QStringLiteral("91.74 %  日用"));
    QCOMPARE(window->ui.spDraw->toolTip(), QStringLiteral("重新绘图"));
}

void TestProfitsWindow::selectionAndPeriodTotals()
{
    TfrmProfits *window = open();
    QVERIFY(window);
    window->ui.PageControl1->setCurrentIndex(1);
    DataGrid *grid = window->ui.DBGrid1;
    QCOMPARE(test::columnOf(*grid->dataset(), "GoodID"), (QVariantList{1, 3}));
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"类别", "品名型号", "营业额", "数量", "进货均价", "进货成本", "毛利", "毛利率"}));

    // Rows picked from the bottom up are added in list order.
    QPlainTextEdit *memo = window->ui.Memo1;
    grid->clearSelection();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, test::rowRect(grid, 1).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, test::rowRect(grid, 0).center());
    window->ui.btCompute->click();
    QCOMPARE(memo->toPlainText(), QStringLiteral("选项:\n矿泉水, 饼干\n \n选项合计:\n\n销售数量30.00,营业额400.00,成本额300.00,毛利100.00"));

    // Nothing selected: the text stays.
    grid->clearSelection();
    window->ui.btCompute->click();
    QVERIFY(memo->toPlainText().startsWith("选项:"));

    window->ui.Button1->click();
    QCOMPARE(memo->toPlainText(), QStringLiteral("当前经营状况：\n--------------\n营业额:400.00\n销售数量:30.00\n平均成本价:9.00\n"
                                                 "购入成本:300.00\n毛利:100.00\n毛利率:0.25"));
    QVERIFY(m_f->prompter.texts().isEmpty());
}

void TestProfitsWindow::categoryFilter()
{
    TfrmProfits *window = open();
    QVERIFY(window);
    window->ui.PageControl1->setCurrentIndex(1);
    Dataset &list = *window->ui.DBGrid1->dataset();
    test::whenModal<TfrmPickCata>([](TfrmPickCata *shown) {
        auto *cata = test::control<DataGrid>(shown, "DBGrid1");
        test::doubleClickRow(cata, test::rowOf(*cata->dataset(), "CataID", 2));
    });
    window->ui.SpeedButton4->click();
    QCOMPARE(test::columnOf(list, "GoodID"), (QVariantList{3}));

    // "全体产品..." shows every item again.
    test::whenModal<TfrmPickCata>([](TfrmPickCata *shown) { test::control<QPushButton>(shown, "Panel1")->click(); });
    window->ui.SpeedButton4->click();
    QCOMPARE(test::columnOf(list, "GoodID"), (QVariantList{1, 3}));

    // A category without listed items empties the list; "统计选项" then does nothing.
    test::whenModal<TfrmPickCata>([](TfrmPickCata *shown) {
        auto *cata = test::control<DataGrid>(shown, "DBGrid1");
        test::doubleClickRow(cata, test::rowOf(*cata->dataset(), "CataID", 3));
    });
    window->ui.SpeedButton4->click();
    QVERIFY(list.isEmpty());
    window->ui.btCompute->click();
    QVERIFY(window->ui.Memo1->toPlainText().isEmpty());

    // "刷新" reads the list again under the same filter.
    QVERIFY(m_f->base().MyADOCnn().exec("UPDATE Goods SET SoldMny = 8 WHERE GoodID = 4"));
    window->ui.btRefresh->click();
    QCOMPARE(test::columnOf(list, "GoodID"), (QVariantList{4}));
}

QTEST_MAIN(TestProfitsWindow)
#include "test_profitswindow.moc"
