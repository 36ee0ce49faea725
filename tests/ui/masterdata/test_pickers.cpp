// The resident pickers driven as a user drives them: what each ends with, what its caller
// reads afterwards, and what it keeps from one use to the next.
#include "core/bills/billkind.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/pickdate.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickarea.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "core/masterdata/custholdings.h"
#include "ui/masterdata/tfrmpickcusthasgoods.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickduegoodsofcust.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/masterdata/tfrmpickdepart.h"
#include "ui/masterdata/tfrmpickemps.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QtTest>

using namespace hemu;

namespace {

enum class Act { DoubleClick, Click, Close, All };

using test::clickRow;
using test::doubleClickRow;
using test::rowOf;

QStringList names(Dataset &dataset, const QString &field)
{
    QStringList values;
    for (int row = 0; row < dataset.rowCount(); ++row)
        values << dataset.value(row, dataset.fieldIndex(field)).toString();
    return values;
}

void search(PickerDialog *picker, const QString &text, bool byEnter)
{
    auto *edit = test::control<QLineEdit>(picker, "Edit1");
    edit->setText(text);
    if (byEnter)
        QTest::keyClick(edit, Qt::Key_Return);
    else
        QTest::mouseClick(test::control<QPushButton>(picker, "spSearch"), Qt::LeftButton);
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        f = std::make_unique<test::AppFixture>();
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void residentAndOpenedByName();
    void listPickerResults_data();
    void listPickerResults();
    void customerPicker();
    void vendorPickerKeepsItsQuery();
    void datePicker();
    void goodsCategoryFilter();
    void goodsSearch_data();
    void goodsSearch();
    void goodsModalResults_data();
    void goodsModalResults();
    void goodsFillMode_data();
    void goodsFillMode();
    void customerNamesHaveRoom();
    void customersWithGoods();
    void dueGoodsFillMode();
    void grabbedByName_data();
    void grabbedByName();

private:
    Pickers &pickers() { return *f->app->context().pickers; }
    PickerDialog *picker(const QString &name)
    {
        return test::control<PickerDialog>(&f->main(), name);
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestPickers::residentAndOpenedByName()
{
    // Made with the program, before any set is open, and kept between uses.
    const QStringList all{"frmPickDate", "frmPickCata", "frmPickArea",  "frmPickDepart", "frmPickCusts",
                          "frmPickEmps", "frmPickGoods", "frmPickVendor", "frmPickCustHasGoods", "frmPickDueGoodsOfCust"};
    for (const QString &name : all) {
        QVERIFY2(f->main().windowNames().contains(name), qPrintable(name));
        QCOMPARE(picker(name)->parentWidget(), static_cast<QWidget *>(&f->main()));
    }
    QCOMPARE(picker("frmPickCata"), static_cast<PickerDialog *>(pickers().frmPickCata));
    QVERIFY(f->start(set->path()));
    QPointer<PickerDialog> cata = pickers().frmPickCata;
    for (int use = 0; use < 2; ++use) {
        bool shown = false;
        test::whenModal<TfrmPickCata>([&shown](TfrmPickCata *window) {
            shown = window->isVisible();
            window->reject();
        });
        QVERIFY(f->main().openWindow("frmPickCata"));
        QVERIFY(shown);
        QVERIFY(cata);
        QVERIFY(!cata->isVisible());
    }
}

void TestPickers::listPickerResults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<Act>("act");
    QTest::addColumn<int>("result");
    QTest::addColumn<QVariant>("pickedId");
    QTest::addColumn<QString>("pickedName");

    const QVariant none;
    QTest::newRow("category double-click") << "frmPickCata" << "CataID" << QVariant(2) << Act::DoubleClick
                                           << int(PickerDialog::Ok) << QVariant(2) << QString();
    QTest::newRow("all goods") << "frmPickCata" << "CataID" << QVariant(2) << Act::All << int(PickerDialog::All) << none
                               << QString();
    QTest::newRow("category closed") << "frmPickCata" << "CataID" << QVariant(3) << Act::Close
                                     << int(PickerDialog::Cancel) << none << QString();
    QTest::newRow("employee double-click") << "frmPickEmps" << "EmpID" << QVariant(22) << Act::DoubleClick
                                           << int(PickerDialog::Ok) << QVariant(22) << QStringLiteral("关羽");
    QTest::newRow("employee single click picks nothing")
        << "frmPickEmps" << "EmpID" << QVariant(21) << Act::Click << int(PickerDialog::Cancel) << none << QString();
    QTest::newRow("area click") << "frmPickArea" << "AreaID" << QVariant(2) << Act::Click << int(PickerDialog::Ok)
                                << none << QString();
    QTest::newRow("department click") << "frmPickDepart" << "CustID" << QVariant(12) << Act::Click
                                      << int(PickerDialog::Ok) << none << QString();
    QTest::newRow("department closed") << "frmPickDepart" << "CustID" << QVariant(11) << Act::Close
                                       << int(PickerDialog::Cancel) << none << QString();
}

void TestPickers::listPickerResults()
{
    QFETCH(QString, name);
    QFETCH(QString, keyField);
    QFETCH(QVariant, key);
    QFETCH(Act, act);
    QFETCH(int, result);
    QFETCH(QVariant, pickedId);
    QFETCH(QString, pickedName);
    QVERIFY(f->start(set->path()));
    PickerDialog *window = picker(name);
    auto *grid = test::control<DataGrid>(window, "DBGrid1");
    Dataset *shared = grid->dataset();
    test::whenModal<PickerDialog>([&](PickerDialog *shown) {
        const int row = rowOf(*shared, keyField, key);
        QVERIFY(row >= 0);
        switch (act) {
        case Act::DoubleClick:
            doubleClickRow(grid, row);
            break;
        case Act::Click:
            clickRow(grid, row);
            break;
        case Act::All:
            QTest::mouseClick(test::control<QPushButton>(shown, "Panel1"), Qt::LeftButton);
            break;
        case Act::Close:
            break;
        }
        if (shown->isVisible())
            shown->close();
    });
    QCOMPARE(int(window->pick()), result);
    QCOMPARE(window->PickedID(), pickedId);
    QCOMPARE(window->PickedName(), pickedName);
    if (result == PickerDialog::Ok) // the caller reads the shared list's current row
        QCOMPARE(shared->value(keyField), key);
}

void TestPickers::customerPicker()
{
    QVERIFY(f->start(set->path()));
    TfrmPickCusts *window = pickers().frmPickCusts;
    Dataset &list = window->ADOQry();
    auto *areas = test::control<DataGrid>(window, "DBGrid2");
    auto *filter = test::control<QCheckBox>(window, "CheckBox1");
    QStringList seen;
    test::whenModal<TfrmPickCusts>([&](TfrmPickCusts *shown) {
        seen << QString::number(list.rowCount());
        // Checking "筛选" changes nothing until an area is clicked.
        filter->setChecked(true);
        seen << QString::number(list.rowCount());
        clickRow(areas, rowOf(*f->base().Areas, "AreaID", 2));
        seen << names(list, "客户").join(',');
        // A search ignores the area, even while "筛选" is checked.
        search(shown, "张", true);
        seen << names(list, "客户").join(',');
        search(shown, "O'N", false);
        seen << names(list, "客户").join(',');
        search(shown, "100%", false);
        seen << names(list, "客户").join(',');
        search(shown, "   ", false); // an empty search leaves the list
        seen << names(list, "客户").join(',');
        filter->setChecked(false);
        seen << QString::number(list.rowCount());
        search(shown, "张", false);
        doubleClickRow(test::control<DataGrid>(shown, "DBGrid1"), 1);
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(seen, (QStringList{"7", "7", "李四超市,张家港百货,A_B店", "张三商店,张家港百货", "O'Neil便利店",
                                "100%满意店", "100%满意店", "7"}));
    QCOMPARE(window->PickedID(), QVariant(3));
    QCOMPARE(window->PickedName(), QStringLiteral("张家港百货"));
    QVERIFY(f->prompter.texts().isEmpty());

    // The next showing starts from the whole list again.
    int rows = -1;
    test::whenModal<TfrmPickCusts>([&](TfrmPickCusts *shown) {
        rows = list.rowCount();
        shown->reject();
    });
    QCOMPARE(window->pick(), PickerDialog::Cancel);
    QCOMPARE(rows, 7);
}

void TestPickers::vendorPickerKeepsItsQuery()
{
    QVERIFY(f->start(set->path()));
    TfrmPickVendor *window = pickers().frmPickVendor;
    test::whenModal<TfrmPickVendor>([](TfrmPickVendor *shown) {
        search(shown, "厂", true);
        shown->close();
    });
    QCOMPARE(window->pick(), PickerDialog::Cancel);
    QStringList shownNames;
    test::whenModal<TfrmPickVendor>([&](TfrmPickVendor *shown) {
        shownNames = names(shown->ADOQry(), "名称");
        doubleClickRow(test::control<DataGrid>(shown, "DBGrid1"), 1);
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(shownNames, (QStringList{"红星工厂", "东方厂"}));
    QCOMPARE(window->PickedID(), QVariant(3));
    QCOMPARE(window->PickedName(), QStringLiteral("东方厂"));

    // Unchecking "筛选" brings the whole list back.
    int rows = -1;
    test::whenModal<TfrmPickVendor>([&](TfrmPickVendor *shown) {
        auto *filter = test::control<QCheckBox>(shown, "CheckBox1");
        filter->setChecked(true);
        filter->setChecked(false);
        rows = shown->ADOQry().rowCount();
        shown->reject();
    });
    window->pick();
    QCOMPARE(rows, 3);
}

void TestPickers::datePicker()
{
    QVERIFY(f->start(set->path()));
    TfrmPickDate *window = pickers().frmPickDate;
    auto *calendar = test::control<QCalendarWidget>(window, "Calendar1");
    auto *title = test::control<QLabel>(window, "TitleLabel");
    const QDate today = QDate::currentDate();
    const QDate earlier(today.year() - 2, 2, 15);
    QStringList titles;
    test::whenModal<TfrmPickDate>([&](TfrmPickDate *shown) {
        titles << title->text();
        calendar->setSelectedDate(earlier);
        titles << title->text();
        QTest::mouseClick(test::control<QPushButton>(shown, "OkBtn"), Qt::LeftButton);
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(titles, (QStringList{PickDate::monthTitle(today), PickDate::dayTitle(earlier, QLocale::system())}));
    QCOMPARE(window->PickedDate(), earlier);

    // Shown again: the month and day stay, the year is the current one; the buttons step.
    QDate onShow, stepped;
    QString titleOnShow;
    test::whenModal<TfrmPickDate>([&](TfrmPickDate *shown) {
        onShow = shown->PickedDate();
        titleOnShow = title->text();
        QTest::mouseClick(test::control<QPushButton>(shown, "PrevMonthBtn"), Qt::LeftButton);
        QTest::mouseClick(test::control<QPushButton>(shown, "NextYear"), Qt::LeftButton);
        stepped = shown->PickedDate();
        QTest::mouseClick(test::control<QPushButton>(shown, "CancelBtn"), Qt::LeftButton);
    });
    QCOMPARE(window->pick(), PickerDialog::Cancel);
    QCOMPARE(onShow, QDate(today.year(), 2, 15));
    QCOMPARE(titleOnShow, PickDate::monthTitle(today));
    QCOMPARE(stepped, QDate(today.year() + 1, 1, 15));

    // Enter (or a double-click) on a day picks it.
    test::whenModal<TfrmPickDate>([&](TfrmPickDate *) {
        auto *days = calendar->findChild<QTableView *>();
        QVERIFY(days);
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(window->PickedDate(), QDate(today.year(), 1, 16));
}

QList<int> goodIds(Dataset &goods)
{
    QList<int> ids;
    for (int row = 0; row < goods.rowCount(); ++row)
        ids << goods.value(row, goods.fieldIndex("GoodID")).toInt();
    return ids;
}

void TestPickers::goodsCategoryFilter()
{
    QVERIFY(f->start(set->path()));
    TfrmPickGoods *window = pickers().frmPickGoods;
    Dataset &goods = *f->base().lkGoods;
    auto *cataGrid = test::control<DataGrid>(window, "CataGrid");
    auto *goodsGrid = test::control<DataGrid>(window, "GoodsGrid");
    auto *cbAll = test::control<QCheckBox>(window, "cbAll");
    QList<QList<int>> seen;
    QVariant greyed, plain;
    QStringList shownFigures;
    test::whenModal<TfrmPickGoods>([&](TfrmPickGoods *shown) {
        // Before a category is picked every item shows, those out of use in grey.
        seen << goodIds(goods);
        greyed = goodsGrid->model()->index(rowOf(goods, "GoodID", 102), 1).data(Qt::ForegroundRole);
        plain = goodsGrid->model()->index(rowOf(goods, "GoodID", 101), 1).data(Qt::ForegroundRole);
        // Prices and stock show as the goods master shows them: two decimals at most, no stock blank.
        for (int column : {3, 4, 5})
            shownFigures << goodsGrid->model()->index(rowOf(goods, "GoodID", 102), column).data().toString();
        clickRow(cataGrid, rowOf(*f->base().Cata, "CataID", 1));
        seen << goodIds(goods);
        QTest::mouseClick(cbAll, Qt::LeftButton);
        seen << goodIds(goods);
        // The arrow keys move through the categories as clicks do.
        cataGrid->setFocus();
        QTest::keyClick(cataGrid, Qt::Key_Down);
        seen << goodIds(goods);
        shown->reject();
    });
    window->pick();
    QCOMPARE(seen, (QList<QList<int>>{{101, 102, 103, 104, 105}, {101}, {101, 102}, {103, 104}}));
    QCOMPARE(shownFigures, (QStringList{QString(), QStringLiteral("2.0"), QStringLiteral("1.2")}));
    QCOMPARE(greyed.value<QColor>(), QColor(192, 192, 192));
    QVERIFY(!plain.isValid());
    // The filter, the box and the search mode stay for the next use.
    QVERIFY(cbAll->isChecked());
    QCOMPARE(goodIds(goods), (QList<int>{103, 104}));
}

void TestPickers::goodsSearch_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("found");
    QTest::newRow("name") << 0 << "饼" << QList<int>{103, 104};
    QTest::newRow("quote") << 0 << "'甜'" << QList<int>{103};
    QTest::newRow("percent") << 0 << "100%" << QList<int>{104};
    QTest::newRow("code") << 1 << "10" << QList<int>{101, 102, 103, 104, 105};
    QTest::newRow("code digits") << 1 << "05" << QList<int>{105};
    QTest::newRow("nothing") << 0 << "咖啡" << QList<int>{};
}

void TestPickers::goodsSearch()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QList<int>, found);
    QVERIFY(f->start(set->path()));
    TfrmPickGoods *window = pickers().frmPickGoods;
    QList<int> shownIds;
    test::whenModal<TfrmPickGoods>([&](TfrmPickGoods *shown) {
        clickRow(test::control<DataGrid>(shown, "CataGrid"), 0); // a search replaces the category filter
        test::control<QComboBox>(shown, "ComboBox1")->setCurrentIndex(mode);
        search(shown, text, true);
        shownIds = goodIds(*f->base().lkGoods);
        shown->reject();
    });
    window->pick();
    QCOMPARE(shownIds, found);
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestPickers::goodsModalResults_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("result");
    QTest::newRow("goods double-click") << "GoodsGrid" << int(PickerDialog::Ok);
    QTest::newRow("category double-click") << "CataGrid" << int(PickerDialog::All);
    QTest::newRow("closed") << QString() << int(PickerDialog::Cancel);
}

void TestPickers::goodsModalResults()
{
    QFETCH(QString, grid);
    QFETCH(int, result);
    QVERIFY(f->start(set->path()));
    TfrmPickGoods *window = pickers().frmPickGoods;
    test::whenModal<TfrmPickGoods>([&](TfrmPickGoods *shown) {
        if (!grid.isEmpty())
            doubleClickRow(test::control<DataGrid>(shown, grid), 2);
        if (shown->isVisible())
            shown->close();
    });
    QCOMPARE(int(window->pick()), result);
    if (result == PickerDialog::Ok) // the caller reads the goods view's current row
        QCOMPARE(f->base().lkGoods->value("GoodID"), QVariant(103));
}

void TestPickers::goodsFillMode_data()
{
    QTest::addColumn<BillKind>("kind");
    QTest::addColumn<int>("party");
    QTest::addColumn<QVariantList>("prices");
    QTest::newRow("stock-in at purchase price") << BillKind::StockIn << 1 << QVariantList{0.75, 6.0};
    QTest::newRow("delivery at selling price") << BillKind::Delivery << 2 << QVariantList{1.5, 8.0};
}

void TestPickers::goodsFillMode()
{
    QFETCH(BillKind, kind);
    QFETCH(int, party);
    QFETCH(QVariantList, prices);
    QVERIFY(f->start(set->path()));
    Dataset *header = f->tab().header(kind);
    Dataset *details = f->tab().detail(kind);
    QVERIFY(header->append().ok());
    QVERIFY(header->setValue("CustID", party).ok());
    QVERIFY(header->post().ok());
    const QVariant tabId = header->value("TabID");

    TfrmPickGoods *window = pickers().frmPickGoods;
    window->fillInto(*details);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->FillTarget(), details);
    auto *goodsGrid = test::control<DataGrid>(window, "GoodsGrid");
    doubleClickRow(goodsGrid, rowOf(*f->base().lkGoods, "GoodID", 101));
    // The line waits in insert state for its quantity.
    QCOMPARE(details->state(), Dataset::State::Insert);
    QVERIFY(details->setValue("Qty", 2).ok());
    doubleClickRow(goodsGrid, rowOf(*f->base().lkGoods, "GoodID", 105));
    QVERIFY(window->isVisible());
    QVERIFY(details->setValue("Qty", 1).ok());
    QVERIFY(details->post().ok());
    window->close();
    QVERIFY(!window->FillTarget());

    QVariantList stored;
    const QVariantList ids{101, 105};
    for (const QVariant &id : ids)
        stored << f->base().MyADOCnn().scalar(
            QStringLiteral("SELECT Price FROM %1 WHERE TabID = ? AND GoodID = ?").arg(details->tableName()), {tabId, id});
    QCOMPARE(stored, prices);
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestPickers::customerNamesHaveRoom()
{
    QVERIFY(f->start(set->path()));
    auto *customers = test::control<DataGrid>(pickers().frmPickCusts, "DBGrid1");
    QCOMPARE_GE(customers->columnWidth(2), 3 * customers->columnWidth(1));
}

// 张三商店 holds 3 of 矿泉水 worth 30 and 饼干 in quantity 0; 李四超市's holdings are worth 0.
void holdings(const QString &path)
{
    test::execOn(path, {"INSERT INTO GoodsInCusts (GoodID, CustID, HandInc, HandIncMny, Sold, SoldMny) VALUES "
                        "(101, 1, 4, 40, 1, 10), (103, 1, 2, 6.5, 2, 6.5), (104, 2, 5, 50, 0, 0), (105, 2, 1, -50, 0, 0),"
                        "(105, 3, 2, 12, 0, 0)"});
}

void TestPickers::customersWithGoods()
{
    holdings(set->path());
    QVERIFY(f->start(set->path()));
    TfrmPickCustHasGoods *window = pickers().frmPickCustHasGoods;
    QStringList seen;
    Qt::Orientation lying = Qt::Horizontal;
    test::whenModal<TfrmPickCustHasGoods>([&](TfrmPickCustHasGoods *shown) {
        seen << names(*shown->holdings().qSumDue, "CustName").join(',');
        seen << names(*shown->holdings().qCustHasGoods, "GoodID").join(',');
        seen << test::control<QLabel>(shown, "Panel1")->text();
        clickRow(test::control<DataGrid>(shown, "DBGCusts"), 1);
        seen << names(*shown->holdings().qCustHasGoods, "GoodID").join(',');
        QTest::mouseClick(test::control<QRadioButton>(shown, "rbLying"), Qt::LeftButton);
        lying = test::control<QSplitter>(shown, "Splitter")->orientation();
        doubleClickRow(test::control<DataGrid>(shown, "DBGCusts"), 1);
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(seen, (QStringList{"张三商店,张家港百货", "101,103", " 客户:  1  张三商店", "105"}));
    QCOMPARE(window->PickedID(), QVariant(3));
    QCOMPARE(lying, Qt::Vertical);
    // The layout chosen stays for the next use; "取消" ends with Cancel.
    test::whenModal<TfrmPickCustHasGoods>([](TfrmPickCustHasGoods *shown) {
        QTest::mouseClick(test::control<QPushButton>(shown, "BitBtn2"), Qt::LeftButton);
    });
    QCOMPARE(window->pick(), PickerDialog::Cancel);
    QVERIFY(!window->isUpright());
}

void TestPickers::dueGoodsFillMode()
{
    holdings(set->path());
    QVERIFY(f->start(set->path()));
    Dataset *receipt = f->tab().ChuKu;
    QVERIFY(receipt->append().ok());
    QVERIFY(receipt->setValue("CustID", 1).ok());
    QVERIFY(receipt->post().ok());
    Dataset *lines = f->tab().ChuKuMx;
    TfrmPickDueGoodsOfCust *window = pickers().frmPickDueGoodsOfCust;
    window->fillInto(*lines);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(test::control<QLabel>(window, "DBText2")->text(), QStringLiteral("张三商店"));
    Dataset &goods = *window->holdings().qCustHasGoods;
    auto *grid = test::control<DataGrid>(window, "DBGGoods");
    // Held in quantity 0: refused, nothing appended.
    doubleClickRow(grid, rowOf(goods, "GoodID", 103));
    QCOMPARE(f->prompter.texts(), QStringList{"数量为0，免选。"});
    QCOMPARE(lines->state(), Dataset::State::Browse);
    // 3 held worth 30: a line of 3 at 10, the picker stays open.
    doubleClickRow(grid, rowOf(goods, "GoodID", 101));
    QVERIFY(window->isVisible());
    QCOMPARE(lines->state(), Dataset::State::Insert);
    QCOMPARE(lines->value("Qty").toDouble(), 3.0);
    QCOMPARE(lines->value("Price").toDouble(), 10.0);
    QVERIFY(lines->post().ok());
    window->close();
    QVERIFY(!window->FillTarget());
    // Without a target a double-click is a modal pick.
    test::whenModal<TfrmPickDueGoodsOfCust>([&](TfrmPickDueGoodsOfCust *shown) {
        doubleClickRow(test::control<DataGrid>(shown, "DBGGoods"), rowOf(goods, "GoodID", 103));
    });
    QCOMPARE(window->pick(), PickerDialog::Ok);
    QCOMPARE(goods.value("GoodID"), QVariant(103));
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT Sold FROM GoodsInCusts WHERE GoodID = 101 AND CustID = 1").toDouble(), 4.0);
}

void TestPickers::grabbedByName_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"frmPickDate", "frmPickCata", "frmPickArea", "frmPickDepart", "frmPickCusts", "frmPickEmps",
                             "frmPickGoods", "frmPickVendor", "frmPickCustHasGoods", "frmPickDueGoodsOfCust", "frmEdGoods",
                             "frmEdCata", "frmEdUnit", "frmEdInitial"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPickers::grabbedByName()
{
    QFETCH(QString, name);
    const QString png = set->file("picker.png");
    QProcess hemu;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    hemu.setProcessEnvironment(env);
    hemu.start(QString::fromLocal8Bit(qgetenv("HEMU_GUI")),
               {"--user", "管理员", "--open", name, "--grab", png, set->path()});
    QVERIFY(hemu.waitForFinished(120000));
    QVERIFY2(hemu.exitCode() == 0, hemu.readAllStandardError().constData());
    const QImage picture(png);
    QVERIFY(!picture.isNull());
    // The dialog, not the main window behind it.
    QCOMPARE_LT(picture.width(), 1024);
    QCOMPARE_LT(picture.height(), 720);
}

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
