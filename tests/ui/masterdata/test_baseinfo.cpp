// The base-information window driven as a user drives it: its pages, the "过滤" boxes, the
// print order, average prices, the editor hand-off, keys in the edit fields, photos.
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/printorder.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/kit/windowgrab.h"
#include "ui/masterdata/employeephoto.h"
#include "ui/masterdata/goodspage.h"
#include "ui/masterdata/masterpage.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmbaseinfo.h"
#include "ui/masterdata/tfrmedgoods.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace hemu;
using test::clickRow;
using test::columnOf;
using test::rowOf;

class TestBaseInfo : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        test::execOn(set->path(), {"UPDATE Goods SET HardOrder = 100 + GoodID"});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void opensWithItsPages();
    void newGoodsFromThePicker();
    void categoryFilter();
    void partyFilterBox();
    void printOrder_data();
    void printOrder();
    void averagePrices_data();
    void averagePrices();
    void goodsEditorHandOff();
    void altInsertTakesTheArea();
    void enterPostsOnlyAnEdit();
    void focusBeforeAdd();
    void emptyGoodsAndCount();
    void photos();
    void printsTheGrid();
    void pageByName_data();
    void pageByName();
    void goodsAsTheFileHoldsThem_data();
    void goodsAsTheFileHoldsThem();

private:
    TfrmBaseInfo *open()
    {
        auto *window = qobject_cast<TfrmBaseInfo *>(f->command("nEdBaseInfo"));
        if (!window)
            qFatal("基础资料 opened no base-information window");
        return window;
    }
    Dataset &goods() { return *f->base().Goods; }
    QVariant stored(const QString &sql, const QVariantList &params = {})
    {
        return f->base().MyADOCnn().scalar(sql, params);
    }
    /// HardOrder of the goods 101..105 as the file holds them.
    QVariantList hardOrders()
    {
        QVariantList orders;
        for (int id = 101; id <= 105; ++id)
            orders << stored("SELECT HardOrder FROM Goods WHERE GoodID = ?", {id});
        return orders;
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestBaseInfo::opensWithItsPages()
{
    TfrmBaseInfo *window = open();
    QCOMPARE(window->windowTitle(), QString("资料"));
    auto *pages = test::control<QTabWidget>(window, "PageControl1");
    QStringList captions, names;
    for (int i = 0; i < pages->count(); ++i) {
        captions << pages->tabText(i);
        names << pages->widget(i)->objectName();
    }
    QCOMPARE(captions, (QStringList{"产品", "供方", "客户", "员工", "部门", "地区"}));
    QCOMPARE(names, (QStringList{"tsCatalogs", "tsVendors", "tsCustoms", "tsEmployees", "tsDepartments", "tsAreas"}));
    QCOMPARE(pages->currentIndex(), 0);
    // The goods grid's titles: two lines where neighbours share the upper one.
    auto *grid = test::control<DataGrid>(window, "DBGridEh1");
    QStringList titles;
    for (const GridColumn &column : grid->columns())
        titles << column.title;
    QCOMPARE(titles.mid(1, 4), (QStringList{"产品|品名型号", "产品|代码", "产品|条形码", "产品|单位"}));
    QCOMPARE(grid->dataset(), &goods());
    // A second command brings the same window forward.
    QCOMPARE(f->command("spEdBaseInfo"), static_cast<QWidget *>(window));
    QCOMPARE(f->childCount(), 1);
}

void TestBaseInfo::newGoodsFromThePicker()
{
    TfrmPickGoods *picker = f->app->context().pickers->frmPickGoods;
    test::whenModal<TfrmPickGoods>([](TfrmPickGoods *shown) {
        QTest::mouseClick(test::control<QPushButton>(shown, "SpeedButton2"), Qt::LeftButton);
    });
    QCOMPARE(int(picker->pick()), int(PickerDialog::Cancel));
    QVERIFY(qobject_cast<TfrmBaseInfo *>(f->activeChild()));
}

void TestBaseInfo::categoryFilter()
{
    TfrmBaseInfo *window = open();
    auto *categories = test::control<DataGrid>(window, "CataGrid");
    auto *box = test::control<QCheckBox>(window, "CheckBox1");
    QList<QVariantList> seen;
    clickRow(categories, rowOf(*f->base().Cata, "CataID", 2));
    seen << columnOf(goods(), "GoodID"); // box unchecked: nothing happens
    box->click();
    seen << columnOf(goods(), "GoodID");
    clickRow(categories, rowOf(*f->base().Cata, "CataID", 1));
    seen << columnOf(goods(), "GoodID"); // every item of the category, out of use or not
    // A search takes over the filter; unchecking the box shows every item again.
    test::control<QLineEdit>(window, "edSearch")->setText("牙");
    QTest::keyClick(test::control<QLineEdit>(window, "edSearch"), Qt::Key_Return);
    seen << columnOf(goods(), "GoodID");
    box->click();
    seen << columnOf(goods(), "GoodID");
    QCOMPARE(seen, (QList<QVariantList>{{101, 102, 103, 104, 105}, {103, 104}, {101, 102}, {105}, {101, 102, 103, 104, 105}}));
    // A click on a category with the box unchecked takes a search away too.
    QTest::keyClick(test::control<QLineEdit>(window, "edSearch"), Qt::Key_Return);
    QCOMPARE(goods().rowCount(), 1);
    clickRow(categories, 0);
    QCOMPARE(goods().rowCount(), 5);
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestBaseInfo::partyFilterBox()
{
    TfrmBaseInfo *window = open();
    Dataset &vendors = *f->base().Vendors;
    auto *areas = test::control<DataGrid>(window, "DBGrid3");
    auto *box = test::control<QCheckBox>(window, "CheckBox2");
    // Checked before any area was clicked: every vendor stays.
    box->click();
    QCOMPARE(vendors.rowCount(), 3);
    clickRow(areas, rowOf(*f->base().Areas, "AreaID", 2));
    QCOMPARE(columnOf(vendors, "VendorID"), (QVariantList{2, 3}));
    box->click();
    QCOMPARE(vendors.rowCount(), 3);
    // Unchecked, a click changes nothing; checked again, the last area is back.
    clickRow(areas, rowOf(*f->base().Areas, "AreaID", 1));
    QCOMPARE(vendors.rowCount(), 3);
    box->click();
    QCOMPARE(columnOf(vendors, "VendorID"), (QVariantList{2, 3}));
    // The arrow keys move through the areas as clicks do.
    areas->setFocus();
    QTest::keyClick(areas, Qt::Key_Up);
    QCOMPARE(columnOf(vendors, "VendorID"), (QVariantList{1}));
    // The employees follow the department list the same way.
    auto *departments = test::control<DataGrid>(window, "DBGrid4");
    test::control<QCheckBox>(window, "CheckBox4")->click();
    clickRow(departments, rowOf(*f->base().Depart, "CustID", 12));
    QCOMPARE(columnOf(*f->base().Employees, "EmpID"), (QVariantList{22}));
}

void TestBaseInfo::printOrder_data()
{
    QTest::addColumn<bool>("byCategory");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QVariantList>("orders"); // of 101..105
    // By code point: 100%果汁饼 < 牙膏 < 矿泉水 < 老汽水 < 饼干'甜'.
    QTest::newRow("name descending") << false << true << QVariantList{3, 2, 1, 5, 4};
    QTest::newRow("category 食品 only") << true << false << QVariantList{201, 202, 1, 2, 205};
}

void TestBaseInfo::printOrder()
{
    QFETCH(bool, byCategory);
    QFETCH(bool, descending);
    QFETCH(QVariantList, orders);
    TfrmBaseInfo *window = open();
    auto *grid = test::control<DataGrid>(window, "DBGridEh1");
    if (byCategory) {
        clickRow(test::control<DataGrid>(window, "CataGrid"), rowOf(*f->base().Cata, "CataID", 2));
        test::control<QCheckBox>(window, "CheckBox1")->click();
    }
    if (descending) {
        grid->sortByTitle(1);
        grid->sortByTitle(1);
        QCOMPARE(goods().sort(), QString("Description DESC"));
    }
    // Asked first: No changes nothing.
    f->prompter.queueAnswer(false);
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton7"), Qt::LeftButton);
    QCOMPARE(hardOrders(), (QVariantList{201, 202, 203, 204, 205}));
    f->prompter.queueAnswer(true);
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton7"), Qt::LeftButton);
    QCOMPARE(hardOrders(), orders);
    QCOMPARE(f->prompter.texts(),
             (QStringList{PrintOrder::questionText(), PrintOrder::questionText(), PrintOrder::doneText()}));
    // The grid shows the new numbers from its first row; the switch is off again.
    QCOMPARE(goods().currentRow(), 0);
    QCOMPARE(goods().value("HardOrder"), QVariant(1));
    QVERIFY(!f->base().BulkGoodsUpdate);
    QVERIFY(test::control<QProgressBar>(window, "ProgressBar1")->isHidden());
}

void TestBaseInfo::averagePrices_data()
{
    QTest::addColumn<bool>("currentBillHasLines");
    QTest::addColumn<QString>("averages"); // GoodID:cost:sell, by GoodID
    // 101: bought 2 at 1 and 2 at 3, paid for 3 at 4; 103: bought 1 and returned 1 (sum 0);
    // 104: paid for but never bought: no row.
    QTest::newRow("current bill with lines") << true << "101:2:4,103:0:";
    QTest::newRow("current bill without lines") << false << "999:7:7";
}

void TestBaseInfo::averagePrices()
{
    QFETCH(bool, currentBillHasLines);
    QFETCH(QString, averages);
    test::execOn(set->path(),
                 {"INSERT INTO RuKuDan (TabID, BookID, CustID) VALUES (1, 'RK-1', 1), (2, 'RK-2', 1)",
                  "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 101, 1, 2), (1, 2, 103, 5, 1), "
                  "(2, 1, 101, 3, 2)",
                  "INSERT INTO RuKuDan (TabID, BookID, CustID) VALUES (3, 'RK-3', 1)",
                  "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (3, 1, 103, 5, -1)",
                  "INSERT INTO RuKuDan (TabID, BookID, CustID) VALUES (4, 'RK-4', 1)",
                  "INSERT INTO ChuKuDan (TabID, BookID, CustID) VALUES (1, 'SK-1', 1)",
                  "INSERT INTO ChuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 101, 4, 3), (1, 2, 104, 6, 1)",
                  "INSERT INTO GoodsAvgPrice (GoodID, CostAvgPrice, SellAvgPrice) VALUES (999, 7, 7)"});
    f.reset();
    f = std::make_unique<test::AppFixture>();
    QVERIFY(f->start(set->path()));
    TfrmBaseInfo *window = open();
    Dataset &bills = *f->tab().RuKu;
    QVERIFY(bills.locate("TabID", currentBillHasLines ? 2 : 4));
    QCOMPARE(f->tab().RuKuMx->isEmpty(), !currentBillHasLines);
    QTest::mouseClick(test::control<QPushButton>(window, "spAPrice"), Qt::LeftButton);
    QStringList rows;
    QSqlQuery q = f->base().MyADOCnn().query("SELECT GoodID, CostAvgPrice, SellAvgPrice FROM GoodsAvgPrice ORDER BY GoodID");
    QVERIFY(q.exec());
    while (q.next())
        rows << q.value(0).toString() + ':' + q.value(1).toString() + ':' + q.value(2).toString();
    QCOMPARE(rows.join(','), averages);
    if (currentBillHasLines) {
        // The goods grid's two average columns show the new figures.
        QVERIFY(goods().locate("GoodID", 101));
        QCOMPARE(goods().value("CostAvgPrice"), QVariant(2.0));
        QCOMPARE(goods().value("SellAvgPrice"), QVariant(4.0));
    }
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestBaseInfo::goodsEditorHandOff()
{
    TfrmBaseInfo *window = open();
    clickRow(test::control<DataGrid>(window, "CataGrid"), rowOf(*f->base().Cata, "CataID", 3));
    auto *navigator = test::control<Navigator>(window, "DBNavigator2");
    // "添加": a new item of the current category, saved from the editor.
    test::whenModal<TfrmEdGoods>([](TfrmEdGoods *editor) {
        editor->ui.DBEdit31->setFocus();
        editor->ui.DBEdit31->insert("毛巾");
        QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    });
    QTest::mouseClick(navigator->button(Navigator::Insert), Qt::LeftButton);
    QCOMPARE(stored("SELECT CataID FROM Goods WHERE Description = '毛巾'"), QVariant(3));
    QCOMPARE(stored("SELECT GoodID FROM Goods WHERE Description = '毛巾'"), QVariant(106));
    // "修改" cancelled: nothing changes and the grid stands on the same item.
    QVERIFY(goods().locate("GoodID", 103));
    test::whenModal<TfrmEdGoods>([](TfrmEdGoods *editor) {
        editor->ui.DBEdit31->setFocus();
        editor->ui.DBEdit31->insert("改名");
        QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    });
    QTest::mouseClick(navigator->button(Navigator::Edit), Qt::LeftButton);
    QCOMPARE(stored("SELECT Description FROM Goods WHERE GoodID = 103").toString(), QString("饼干'甜'"));
    QCOMPARE(goods().value("GoodID"), QVariant(103));
    QVERIFY(!goods().isEditing());
}

void TestBaseInfo::altInsertTakesTheArea()
{
    TfrmBaseInfo *window = open();
    test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(2);
    clickRow(test::control<DataGrid>(window, "DBGrid1"), rowOf(*f->base().Areas, "AreaID", 2));
    auto *name = test::control<QLineEdit>(window, "DBEdit14");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Insert, Qt::AltModifier);
    Dataset &customers = *f->base().Custs;
    QCOMPARE(customers.state(), Dataset::State::Insert);
    QCOMPARE(customers.value("AreaID"), QVariant(2));
    name->insert("王五商行");
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(customers.state(), Dataset::State::Browse);
    QCOMPARE(stored("SELECT AreaID FROM Customers WHERE CustName = '王五商行'"), QVariant(2));
}

void TestBaseInfo::enterPostsOnlyAnEdit()
{
    TfrmBaseInfo *window = open();
    test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(2);
    Dataset &customers = *f->base().Custs;
    QVERIFY(customers.locate("CustID", 1));
    auto *name = test::control<QLineEdit>(window, "DBEdit14");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(customers.state(), Dataset::State::Browse);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, "2");
    QCOMPARE(customers.state(), Dataset::State::Edit);
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(customers.state(), Dataset::State::Browse);
    QCOMPARE(stored("SELECT CustName FROM Customers WHERE CustID = 1").toString(), QString("张三商店2"));
    // The employee's address and the lookup lists do not post on Enter.
    test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(3);
    auto *address = test::control<QLineEdit>(window, "DBEdit17");
    address->setFocus();
    QTest::keyClicks(address, "A");
    QTest::keyClick(address, Qt::Key_Return);
    QCOMPARE(f->base().Employees->state(), Dataset::State::Edit);
}

void TestBaseInfo::focusBeforeAdd()
{
    TfrmBaseInfo *window = open();
    const struct
    {
        int page;
        const char *navigator;
        const char *name;
    } pages[] = {{1, "DBNavigator7", "DBEdit24"}, {2, "DBNavigator6", "DBEdit14"}, {3, "DBNavigator5", "DBEdit13"},
                 {4, "DBNavigator4", "DBEdit9"},  {5, "DBNavigator3", "DBEdit7"}};
    for (const auto &p : pages) {
        test::control<QTabWidget>(window, "PageControl1")->setCurrentIndex(p.page);
        auto *navigator = test::control<Navigator>(window, p.navigator);
        QTest::mouseClick(navigator->button(Navigator::Insert), Qt::LeftButton);
        QCOMPARE(window->focusWidget(), test::control<QWidget>(window, p.name));
        QVERIFY(navigator->dataset()->isEditing());
        QTest::mouseClick(navigator->button(Navigator::Cancel), Qt::LeftButton);
    }
}

void TestBaseInfo::emptyGoodsAndCount()
{
    TfrmBaseInfo *window = open();
    auto *toggle = test::control<QToolButton>(window, "spViewEmpty");
    toggle->click();
    QCOMPARE(columnOf(goods(), "GoodID"), (QVariantList{102}));
    QTest::mouseClick(test::control<QPushButton>(window, "SpeedButton10"), Qt::LeftButton);
    QCOMPARE(test::control<QLineEdit>(window, "edCount")->text(), QString("1"));
    toggle->click();
    QCOMPARE(goods().rowCount(), 5);
}

void TestBaseInfo::photos()
{
    TfrmBaseInfo *window = open();
    auto *photo = test::control<EmployeePhoto>(window, "DBImage2");
    Dataset &employees = *f->base().Employees;
    QVERIFY(employees.locate("EmpID", 21));
    // A file that is no picture: said, nothing stored, the row left in edit state.
    const QString text = set->file("not-a-picture.png");
    test::writeBytes(text, "这不是图片");
    f->files.queue(text);
    photo->insertPicture();
    QCOMPARE(f->prompter.texts(), QStringList{"图片格式错。"});
    QCOMPARE(employees.state(), Dataset::State::Edit);
    QVERIFY(employees.value("Picture").isNull());
    QVERIFY(employees.cancel().ok());
    // A picture is stored with the row; "清除图片" empties it.
    const QString png = set->file("face.png");
    QImage face(24, 32, QImage::Format_RGB32);
    face.fill(Qt::darkCyan);
    QVERIFY(face.save(png));
    f->files.queue(png);
    photo->insertPicture();
    QVERIFY(employees.post().ok());
    QCOMPARE(stored("SELECT length(Picture) > 0 FROM Employees WHERE EmpID = 21"), QVariant(1));
    QVERIFY(!photo->binder()->pixmap().isNull());
    photo->clearPicture();
    QVERIFY(employees.post().ok());
    QVERIFY(stored("SELECT Picture FROM Employees WHERE EmpID = 21").isNull());
    QCOMPARE(f->prompter.texts(), QStringList{"图片格式错。"});
}

void TestBaseInfo::printsTheGrid()
{
    TfrmBaseInfo *window = open();
    auto *grid = test::control<DataGrid>(window, "GridCust");
    f->prompter.queueAnswer(false);
    QTest::mouseClick(test::control<QPushButton>(window, "Button2"), Qt::LeftButton);
    bool previewed = false;
    test::whenModal<QPrintPreviewDialog>([&previewed](QPrintPreviewDialog *preview) {
        previewed = true;
        preview->reject();
    });
    f->prompter.queueAnswer(true);
    QTest::mouseClick(test::control<QPushButton>(window, "Button2"), Qt::LeftButton);
    QVERIFY(previewed);
    QCOMPARE(grid->printTitle(), QString("客户信息"));
    QCOMPARE(f->prompter.texts(), (QStringList{"打印所有客户信息吗？", "打印所有客户信息吗？"}));
}

void TestBaseInfo::pageByName_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("index"); // -1: refused
    QTest::newRow("by the tab's text") << "供方" << 1;
    QTest::newRow("by the page's name") << "tsAreas" << 5;
    QTest::newRow("no such page") << "仓库" << -1;
}

void TestBaseInfo::pageByName()
{
    // What `hemu --open frmBaseInfo --page NAME` does once the window is open.
    QFETCH(QString, page);
    QFETCH(int, index);
    TfrmBaseInfo *window = open();
    QString error;
    QCOMPARE(showWindowPage(f->main(), "frmBaseInfo", page, &error), index >= 0);
    QCOMPARE(window->ui.PageControl1->currentIndex(), qMax(index, 0));
    if (index < 0)
        QVERIFY2(error.contains("产品 (tsCatalogs), 供方 (tsVendors)"), qPrintable(error));
}

void TestBaseInfo::goodsAsTheFileHoldsThem_data()
{
    QTest::addColumn<bool>("otherProgram"); // else nothing is written
    QTest::addColumn<QString>("name");      // of item 101 when the window comes up again
    QTest::newRow("changed by another program") << true << "矿泉水 550ml";
    QTest::newRow("unchanged") << false << "矿泉水";
}

void TestBaseInfo::goodsAsTheFileHoldsThem()
{
    QFETCH(bool, otherProgram);
    QFETCH(QString, name);
    QVERIFY(goods().locate("GoodID", 101));
    const QString before = goods().value("Description").toString();
    QCOMPARE(before, QString("矿泉水"));
    open();
    f->main().mdiArea()->currentSubWindow()->close();
    QTRY_COMPARE(f->childCount(), 0);
    if (otherProgram)
        test::execOn(set->path(), {"UPDATE Goods SET Description = '矿泉水 550ml' WHERE GoodID = 101"});
    QSignalSpy resets(&goods(), &Dataset::rowsReset);
    open();
    // Read again only when the file changed; the grid stays on the same item either way.
    QCOMPARE(resets.count(), otherProgram ? 1 : 0);
    QCOMPARE(goods().value("GoodID"), QVariant(101));
    QCOMPARE(goods().value("Description").toString(), name);
}

QTEST_MAIN(TestBaseInfo)
#include "test_baseinfo.moc"
