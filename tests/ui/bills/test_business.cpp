// The bill entry window driven as a clerk drives it: the counterpart before the lines, the
// pages, picking goods into lines, the bill list, the search menu and closing.
#include "core/bills/billentry.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/custholdings.h"
#include "support/appfixture.h"
#include "support/clirun.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/bills/billpage.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcusthasgoods.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickduegoodsofcust.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

QRect rowRect(DataGrid *grid, int row, int column = 1)
{
    return grid->visualRect(grid->model()->index(row, column));
}

void clickRow(DataGrid *grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowRect(grid, row).center());
}

void doubleClickRow(DataGrid *grid, int row)
{
    clickRow(grid, row);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowRect(grid, row).center());
}

int rowOf(Dataset &dataset, const QString &field, const QVariant &value)
{
    const int index = dataset.fieldIndex(field);
    for (int row = 0; row < dataset.rowCount(); ++row) {
        if (dataset.value(row, index) == value)
            return row;
    }
    return -1;
}

/// Keys typed where the keyboard is now, one at a time (a cell editor opens on the first).
void type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

/// Makes `window` the active one: offscreen, no window becomes active again by itself after
/// a modal dialog closes.
bool activate(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

/// The colour the grid is drawn in, read from its picture (below the rows), not its palette.
QColor baseColour(DataGrid *grid)
{
    const QImage picture = grid->viewport()->grab().toImage();
    return picture.pixelColor(picture.width() - 3, picture.height() - 3);
}

} // namespace

class TestBusiness : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensOnTheDeliveryPage();
    void counterpartBeforeLines_data();
    void counterpartBeforeLines();
    void pageChangeKeepsANewBill();
    void pageChangeSavesAnEditedHeader();
    void doubleClickReplacesGoodsKeepsQuantity();
    void receiptDoubleClickTakesTheHolding();
    void fillModeAppendsLines();
    void negativeLinesRed();
    void billCount();
    void restrictedRoleWarnedAtTheMenu();
    void billListToggle();
    void unsavedBillAskedWhenEnteringTheList();
    void closingWhileSearchIsOpen();
    void keyboardDeliveryBill();
    void barcodeEntry();
    void priceHistory();

private:
    TfrmBusiness *openWindow();
    /// A bill of `kind` for counterpart `party`, saved, shown on its page.
    QVariant newBill(TfrmBusiness *window, BillKind kind, int party);
    void enterGrid(BillPage *page);
    void leaveGrid(BillPage *page);

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestBusiness::init()
{
    set = std::make_unique<test::TempAccountSet>();
    test::fillMasters(set->path());
    f = std::make_unique<test::AppFixture>();
}

void TestBusiness::cleanup()
{
    f.reset();
    set.reset();
}

TfrmBusiness *TestBusiness::openWindow()
{
    if (!f->start(set->path()))
        return nullptr;
    if (!activate(&f->main()))
        return nullptr;
    return qobject_cast<TfrmBusiness *>(f->command("miEdTabs"));
}

QVariant TestBusiness::newBill(TfrmBusiness *window, BillKind kind, int party)
{
    window->showPage(kind);
    Dataset *header = f->tab().header(kind);
    if (!header->append().ok() || !header->setValue("CustID", party).ok() || !header->post().ok())
        return {};
    return header->value("TabID");
}

void TestBusiness::enterGrid(BillPage *page)
{
    QVERIFY(activate(&f->main()));
    QTest::mouseClick(page->ui.grid->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    page->ui.grid->setFocus(Qt::MouseFocusReason);
}

void TestBusiness::leaveGrid(BillPage *page)
{
    QVERIFY(activate(&f->main()));
    page->ui.remark->setFocus(Qt::MouseFocusReason);
}

void TestBusiness::opensOnTheDeliveryPage()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("单据录入"));
    QCOMPARE(window->pageIndex(), 1);
    QCOMPARE(window->ActiveSource(), f->tab().DiaoBo);
    QCOMPARE(window->ActiveTabSource(), f->tab().DiaoBo);
    QCOMPARE(window->ui.lbState->text(), QStringLiteral("焦点未知"));
    QVERIFY(!window->ui.spFill->isEnabled());
    QVERIFY(!window->ui.btnSave->isEnabled());
    QVERIFY(!window->ui.plHeadList->isVisible());
    QCOMPARE(qobject_cast<QMdiSubWindow *>(window->parentWidget())->width(), BillEntry::windowWidth);
    // The page buttons and the seven columns of every detail grid.
    const QStringList pages{"进货入库", "销售发货", "销售收款"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(window->ui.PageControl1->tabText(i), pages[i]);
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        DataGrid *grid = window->page(kind)->ui.grid;
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"项", "商品码", "品名型号", "数量", "单位", "价格", "金额"}));
    }
    // Its search menu joins the main menu while it is the active window.
    QVERIFY(f->action("miFindTabs"));
    QVERIFY(f->action("miTabCount"));
}

void TestBusiness::counterpartBeforeLines_data()
{
    QTest::addColumn<BillKind>("kind");
    QTest::addColumn<QString>("button");
    QTest::newRow("stock-in, vendor") << BillKind::StockIn << "SpeedButton5";
    QTest::newRow("delivery, customer") << BillKind::Delivery << "SpeedButton6";
}

void TestBusiness::counterpartBeforeLines()
{
    QFETCH(BillKind, kind);
    QFETCH(QString, button);
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    window->showPage(kind);
    BillPage *page = window->page(kind);
    QTest::mouseClick(window->ui.Button13, Qt::LeftButton);
    Dataset *header = f->tab().header(kind);
    QCOMPARE(header->state(), Dataset::State::Insert);

    // Lines before a counterpart: refused, the grid stays silver.
    enterGrid(page);
    QCOMPARE(f->prompter.lastText(), QStringLiteral("请先填入供货方或收货方。"));
    QVERIFY(page->isGridLocked());
    QCOMPARE(baseColour(page->ui.grid), QColor(192, 192, 192));
    QVERIFY(!window->ui.btnSave->isEnabled());
    QVERIFY(!window->ui.spFill->isEnabled());
    QCOMPARE(window->ui.lbState->text(), QStringLiteral("编辑明细"));
    leaveGrid(page);
    QCOMPARE(window->ui.lbState->text(), QStringLiteral("编辑表头"));

    // The counterpart chosen with its button saves the bill.
    if (kind == BillKind::StockIn) {
        test::whenModal<TfrmPickVendor>([](TfrmPickVendor *picker) {
            doubleClickRow(test::control<DataGrid>(picker, "DBGrid1"), 1);
        });
    } else {
        test::whenModal<TfrmPickCusts>([](TfrmPickCusts *picker) {
            doubleClickRow(test::control<DataGrid>(picker, "DBGrid1"), 1);
        });
    }
    QTest::mouseClick(test::control<QToolButton>(window, button), Qt::LeftButton);
    QCOMPARE(header->state(), Dataset::State::Browse);
    QCOMPARE(header->value("CustID"), QVariant(2));
    QVERIFY(f->base().MyADOCnn().scalar(QStringLiteral("SELECT CustID FROM %1 WHERE TabID = ?").arg(headerTable(kind)),
                                        {header->value("TabID")}) == QVariant(2));
    QCOMPARE(page->ui.party->text(), kind == BillKind::StockIn ? QStringLiteral("蓝天贸易") : QStringLiteral("李四超市"));

    f->prompter.clear();
    enterGrid(page);
    QVERIFY(f->prompter.texts().isEmpty());
    QVERIFY(!page->isGridLocked());
    QCOMPARE(baseColour(page->ui.grid), QColor(248, 248, 199));
    QVERIFY(window->ui.spFill->isEnabled());
    QCOMPARE(window->ActiveSource(), f->tab().detail(kind));
}

void TestBusiness::pageChangeKeepsANewBill()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    window->showPage(BillKind::StockIn);
    QTest::mouseClick(window->ui.Button13, Qt::LeftButton);
    Dataset *stockIn = f->tab().RuKu;
    QCOMPARE(stockIn->state(), Dataset::State::Insert);
    window->showPage(BillKind::Delivery);
    QCOMPARE(window->pageIndex(), 1);
    QCOMPARE(window->ActiveSource(), f->tab().DiaoBo);
    QCOMPARE(stockIn->state(), Dataset::State::Insert);
    window->showPage(BillKind::StockIn);
    QCOMPARE(stockIn->state(), Dataset::State::Insert);
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT count(*) FROM RuKuDan").toInt(), 0);
    QVERIFY(window->ui.btnSave->isEnabled());
    QVERIFY(!window->ui.plHeadList->isEnabled());
}

void TestBusiness::pageChangeSavesAnEditedHeader()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    const QVariant tabId = newBill(window, BillKind::StockIn, 1);
    BillPage *page = window->page(BillKind::StockIn);
    page->ui.remark->setFocus();
    QTest::keyClicks(page->ui.remark, "abc");
    QCOMPARE(f->tab().RuKu->state(), Dataset::State::Edit);
    window->showPage(BillKind::Receipt);
    QCOMPARE(window->pageIndex(), 2);
    QCOMPARE(f->tab().RuKu->state(), Dataset::State::Browse);
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT Remark FROM RuKuDan WHERE TabID = ?", {tabId}), QVariant("abc"));
}

void TestBusiness::doubleClickReplacesGoodsKeepsQuantity()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    newBill(window, BillKind::Delivery, 1);
    Dataset *lines = f->tab().DiaoBoMx;
    QVERIFY(lines->append().ok());
    QVERIFY(lines->setValue("GoodID", 101).ok());
    QVERIFY(lines->setValue("Qty", 4).ok());
    QVERIFY(lines->setValue("Price", 1.5).ok());
    QVERIFY(lines->post().ok());
    BillPage *page = window->page(BillKind::Delivery);
    enterGrid(page);
    QVERIFY(!page->isGridLocked());
    test::whenModal<TfrmPickGoods>([this](TfrmPickGoods *picker) {
        QVERIFY(!picker->FillTarget());
        doubleClickRow(test::control<DataGrid>(picker, "GoodsGrid"), rowOf(*f->base().lkGoods, "GoodID", 105));
    });
    doubleClickRow(page->ui.grid, 0);
    QCOMPARE(lines->rowCount(), 1);
    QCOMPARE(lines->state(), Dataset::State::Edit);
    QCOMPARE(lines->value("GoodID"), QVariant(105));
    QCOMPARE(lines->value("Price").toDouble(), 8.0);
    QCOMPARE(lines->value("Qty").toDouble(), 4.0);
    QVERIFY(activate(&f->main()));
    press(Qt::Key_Return);
    QCOMPARE(lines->state(), Dataset::State::Browse);
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT SumMoney FROM DiaoBoDan").toDouble(), 32.0);
}

void TestBusiness::receiptDoubleClickTakesTheHolding()
{
    // 张三商店 holds 5 of 矿泉水 worth 50, and 饼干 in quantity 0.
    test::execOn(set->path(), {"INSERT INTO GoodsInCusts (GoodID, CustID, HandInc, HandIncMny) VALUES (101, 1, 5, 50), (103, 1, 0, 0)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    window->showPage(BillKind::Receipt);
    BillPage *page = window->page(BillKind::Receipt);
    QTest::mouseClick(window->ui.Button13, Qt::LeftButton);
    test::whenModal<TfrmPickCustHasGoods>([](TfrmPickCustHasGoods *picker) {
        QCOMPARE(picker->holdings().qSumDue->rowCount(), 1);
        QTest::mouseClick(test::control<QPushButton>(picker, "BitBtn1"), Qt::LeftButton);
    });
    QTest::mouseClick(page->ui.partyButton, Qt::LeftButton);
    Dataset *receipt = f->tab().ChuKu;
    QCOMPARE(receipt->value("CustID"), QVariant(1));
    QCOMPARE(receipt->state(), Dataset::State::Browse);

    enterGrid(page);
    QVERIFY(!page->isGridLocked());
    Dataset *lines = f->tab().ChuKuMx;
    test::whenModal<TfrmPickDueGoodsOfCust>([](TfrmPickDueGoodsOfCust *picker) {
        doubleClickRow(test::control<DataGrid>(picker, "DBGGoods"), 0);
    });
    page->ui.grid->rowActivated(0); // a double-click on the (empty) grid
    QCOMPARE(lines->state(), Dataset::State::Insert);
    QCOMPARE(lines->value("GoodID"), QVariant(101));
    QCOMPARE(lines->value("Qty").toDouble(), 5.0);
    QCOMPARE(lines->value("Price").toDouble(), 10.0);
    QVERIFY(activate(&f->main()));
    press(Qt::Key_Return);
    QCOMPARE(lines->state(), Dataset::State::Insert); // the next line has started
    leaveGrid(page);
    QCOMPARE(lines->state(), Dataset::State::Browse);
    QCOMPARE(lines->rowCount(), 1);
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT Sold FROM GoodsInCusts WHERE GoodID = 101 AND CustID = 1").toDouble(), 5.0);

    // Fill mode: a goods item held in quantity 0 is refused, nothing appended.
    enterGrid(page);
    QTest::mouseClick(window->ui.spFill, Qt::LeftButton);
    TfrmPickDueGoodsOfCust *due = f->app->context().pickers->frmPickDueGoodsOfCust;
    QVERIFY(due->isVisible());
    QCOMPARE(due->FillTarget(), lines);
    f->prompter.clear();
    const int zero = rowOf(*due->holdings().qCustHasGoods, "GoodID", 103);
    doubleClickRow(test::control<DataGrid>(due, "DBGGoods"), zero);
    QCOMPARE(f->prompter.texts(), QStringList{"数量为0，免选。"});
    QCOMPARE(f->prompter.entries().last().kind, Prompter::Kind::Plain);
    QCOMPARE(lines->state(), Dataset::State::Browse);
    leaveGrid(page);
    QVERIFY(!due->isVisible());
    QVERIFY(!due->FillTarget());
}

void TestBusiness::fillModeAppendsLines()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    const QVariant tabId = newBill(window, BillKind::StockIn, 1);
    BillPage *page = window->page(BillKind::StockIn);
    enterGrid(page);
    QTest::mouseClick(window->ui.spFill, Qt::LeftButton);
    TfrmPickGoods *picker = f->app->context().pickers->frmPickGoods;
    QVERIFY(picker->isVisible());
    QVERIFY(!picker->isModal());
    QCOMPARE(picker->FillTarget(), f->tab().RuKuMx);
    // The picker taking the keyboard is no leaving of the grid.
    QVERIFY(activate(picker));
    auto *goods = test::control<DataGrid>(picker, "GoodsGrid");
    doubleClickRow(goods, rowOf(*f->base().lkGoods, "GoodID", 101));
    QVERIFY(f->tab().RuKuMx->setValue("Qty", 2).ok());
    doubleClickRow(goods, rowOf(*f->base().lkGoods, "GoodID", 105));
    QVERIFY(f->tab().RuKuMx->setValue("Qty", 1).ok());
    QVERIFY(picker->isVisible());
    QVERIFY(window->ui.spFill->isEnabled());
    // Leaving the grid posts the last line and closes the picker.
    leaveGrid(page);
    QVERIFY(!picker->isVisible());
    QVERIFY(!window->ui.spFill->isEnabled());
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT group_concat(GoodID || ':' || Price, ',') FROM RuKuMx WHERE TabID = ?", {tabId}),
             QVariant("101:0.75,105:6.0"));
}

void TestBusiness::negativeLinesRed()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    newBill(window, BillKind::StockIn, 1);
    Dataset *lines = f->tab().RuKuMx;
    const QList<QPair<int, double>> typed{{101, -2}, {103, -0.4}, {105, 3}};
    for (const auto &line : typed) {
        QVERIFY(lines->append().ok());
        QVERIFY(lines->setValue("GoodID", line.first).ok());
        QVERIFY(lines->setValue("Qty", line.second).ok());
        QVERIFY(lines->setValue("Price", 1).ok());
        QVERIFY(lines->post().ok());
    }
    DataGrid *grid = window->page(BillKind::StockIn)->ui.grid;
    QList<QVariant> colours;
    for (int row = 0; row < 3; ++row)
        colours << grid->model()->index(row, 3).data(Qt::ForegroundRole);
    QCOMPARE(colours[0].value<QColor>(), QColor(Qt::red));
    QVERIFY(!colours[1].isValid());
    QVERIFY(!colours[2].isValid());
}

void TestBusiness::billCount()
{
    test::execOn(set->path(), {"INSERT INTO RuKuDan (BookID, CustID) VALUES ('R1', 1), ('R2', 1), ('R3', 2)",
                               "INSERT INTO DiaoBoDan (BookID, CustID) VALUES ('D1', 1), ('D2', 1), ('D3', 2), ('D4', 2), ('D5', 3)",
                               "INSERT INTO ChuKuDan (BookID, CustID) VALUES ('S1', 1), ('S2', 1)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    f->prompter.clear();
    f->action("miTabCount")->trigger();
    QCOMPARE(f->prompter.texts(), QStringList{"单据总数:10"});
    QCOMPARE(f->prompter.entries().last().kind, Prompter::Kind::Plain);
    QCOMPARE(window->ui.Panel4->text(), QStringLiteral("调拨单 5张"));
    window->showPage(BillKind::Receipt);
    QCOMPARE(window->ui.Panel4->text(), QStringLiteral("出库单 2张"));
    // The search command does nothing harmful while the program has no bill search.
    f->action("miFindTabs")->trigger();
    QCOMPARE(f->prompter.texts(), QStringList{"单据总数:10"});
}

void TestBusiness::restrictedRoleWarnedAtTheMenu()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    f->prompter.clear();
    emit window->ui.SearchMenu->aboutToShow();
    QVERIFY(f->prompter.texts().isEmpty());
    f->base().user().CurRoleID = 3;
    emit window->ui.SearchMenu->aboutToShow();
    QCOMPARE(f->prompter.texts(), QStringList{"对不起，你无权操作此功能。"});
}

void TestBusiness::billListToggle()
{
    test::execOn(set->path(), {"INSERT INTO DiaoBoDan (BookID, CustID) VALUES ('D1', 1), ('D2', 2)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    QTest::mouseClick(window->ui.sp, Qt::LeftButton);
    QVERIFY(window->ui.plHeadList->isVisible());
    QCOMPARE(window->ui.sp->text(), QStringLiteral("关闭列表"));
    const BillEntry::ListGeometry open =
        BillEntry::openList(f->main().mdiArea()->viewport()->width(), BillEntry::windowWidth);
    QCOMPARE(frame->width(), open.windowWidth);
    QCOMPARE(frame->x(), open.left);
    // A row of the list is the page's current bill.
    DataGrid *list = window->ui.HeadGrid;
    QCOMPARE(list->dataset(), f->tab().DiaoBo);
    clickRow(list, 1);
    QCOMPARE(f->tab().DiaoBo->value("BookID"), QVariant("D2"));
    QCOMPARE(window->page(BillKind::Delivery)->ui.bookId->text(), QStringLiteral("D2"));
    QTest::mouseClick(window->ui.sp, Qt::LeftButton);
    QVERIFY(!window->ui.plHeadList->isVisible());
    QCOMPARE(window->ui.sp->text(), QStringLiteral("打开列表"));
    QCOMPARE(frame->width(), BillEntry::windowWidth);
}

void TestBusiness::unsavedBillAskedWhenEnteringTheList()
{
    test::execOn(set->path(), {"INSERT INTO DiaoBoDan (BookID, CustID) VALUES ('D1', 1)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    QTest::mouseClick(window->ui.sp, Qt::LeftButton);
    BillPage *page = window->page(BillKind::Delivery);
    for (bool yes : {false, true}) {
        page->ui.remark->setFocus();
        QTest::keyClicks(page->ui.remark, "x");
        QVERIFY(f->tab().DiaoBo->isEditing());
        f->prompter.clear();
        f->prompter.queueAnswer(yes);
        window->ui.HeadGrid->setEnabled(true);
        window->ui.plHeadList->setEnabled(true);
        window->ui.HeadGrid->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f->prompter.texts(), QStringList{"对当前单据的修改尚未保存，是否保存？"});
        QVERIFY(!f->tab().DiaoBo->isEditing());
        QCOMPARE(f->base().MyADOCnn().scalar("SELECT Remark FROM DiaoBoDan").toString(), yes ? QString("x") : QString());
    }
}

void TestBusiness::closingWhileSearchIsOpen()
{
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    // "找单据" opens the bill search beside the window.
    window->FindTabsClick();
    QWidget *search = f->main().findChild<QWidget *>("frmSearchTabs");
    QVERIFY(search);
    QTRY_VERIFY(search->isVisible());
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    BillPage *page = window->page(BillKind::Delivery);
    newBill(window, BillKind::Delivery, 1);
    page->ui.remark->setFocus();
    QTest::keyClicks(page->ui.remark, "y");
    frame->close();
    QCOMPARE(f->prompter.lastText(), QStringLiteral("请先关闭检索表单。"));
    QVERIFY(frame->isVisible());
    // The bill being edited was saved on the way.
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT Remark FROM DiaoBoDan"), QVariant("y"));
    search->hide();
    frame->close();
    QTRY_VERIFY(!frame);
}

void TestBusiness::keyboardDeliveryBill()
{
    // Twenty goods items 201..220, each in stock from the opening balance.
    QStringList goods;
    for (int id = 201; id <= 220; ++id)
        goods << QStringLiteral("(%1, 1, '商品%1', 1.0, 2.0, 100, 100)").arg(id);
    // The shared masters give stock without bills; as an opening balance it is what the check expects.
    test::execOn(set->path(), {"INSERT INTO Goods (GoodID, CataID, Description, CostPrice, SellPrice, PrevOnHand, PrevOnHandMny) VALUES "
                                   + goods.join(','),
                               "UPDATE Goods SET PrevOnHand = PrevOnHand + HandInc, HandInc = 0"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    const QVariant tabId = newBill(window, BillKind::Delivery, 3);
    BillPage *page = window->page(BillKind::Delivery);
    DataGrid *grid = page->ui.grid;
    enterGrid(page);
    QVERIFY(!grid->isReadOnly());
    press(Qt::Key_Insert, Qt::AltModifier);
    Dataset *lines = f->tab().DiaoBoMx;
    QCOMPARE(lines->state(), Dataset::State::Insert);
    QCOMPARE(grid->currentIndex().column(), 1);
    for (int i = 0; i < 20; ++i) {
        type(QString::number(201 + i)); // 商品码
        press(Qt::Key_Tab);              // 品名型号
        press(Qt::Key_Tab);              // 数量
        type(QString::number(i % 5 + 1));
        press(Qt::Key_Tab);              // 单位
        press(Qt::Key_Tab);              // 价格
        type(QStringLiteral("2.5"));
        press(Qt::Key_Return);           // posts; the next line starts
        QTRY_COMPARE(lines->rowCount(), i + 2);
        QCOMPARE(lines->state(), Dataset::State::Insert);
        QCOMPARE(grid->currentIndex().column(), 1);
    }
    QVERIFY2(f->prompter.texts().isEmpty(), qPrintable(f->prompter.texts().join('\n')));
    leaveGrid(page); // the untouched 21st line is dropped, not posted
    QCOMPARE(lines->state(), Dataset::State::Browse);
    QCOMPARE(lines->rowCount(), 20);
    Database &db = f->base().MyADOCnn();
    QCOMPARE(db.scalar("SELECT count(*) FROM DiaoBoMx WHERE TabID = ?", {tabId}).toInt(), 20);
    QCOMPARE(db.scalar("SELECT group_concat(ItemNo) FROM DiaoBoMx WHERE TabID = ?", {tabId}).toString(),
             QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20"));
    // 4 × (1+2+3+4+5) units at 2.5.
    QCOMPARE(db.scalar("SELECT SumMoney FROM DiaoBoDan WHERE TabID = ?", {tabId}).toDouble(), 150.0);
    QCOMPARE(db.scalar("SELECT sum(HandInc) FROM GoodsInCusts WHERE CustID = 3").toDouble(), 60.0);
    f.reset(); // the program ends; the file is checked as it stands
    const test::CliOutput check = test::runCli({"check", set->path()});
    QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
}

void TestBusiness::barcodeEntry()
{
    // 张三商店 (1) holds 4 of 牙膏 (105) worth 30.
    test::execOn(set->path(), {"UPDATE Goods SET BarCode = '6901234' WHERE GoodID = 101",
                               "INSERT INTO GoodsInCusts (GoodID, CustID, HandInc, HandIncMny) VALUES (105, 1, 4, 30)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    BillPage *page = window->page(BillKind::Delivery);
    window->newBill();
    QVERIFY(!page->ui.scan->isEnabled()); // no customer yet
    const QVariant tabId = newBill(window, BillKind::Delivery, 1);
    QVERIFY(page->ui.scan->isEnabled());
    QCOMPARE(page->ui.scan->placeholderText(), QStringLiteral("扫码录入"));
    auto scan = [&](BillPage *on, const QString &code) {
        on->ui.scan->setFocus();
        QTest::keyClicks(on->ui.scan, code);
        QTest::keyClick(on->ui.scan, Qt::Key_Return);
    };
    auto lines = [&](const char *table, const QVariant &id) {
        return f->base().MyADOCnn()
            .scalar(QStringLiteral("SELECT group_concat(CAST(GoodID AS INTEGER) || ':' || Qty || ':' || Price, ',') FROM %1 "
                                   "WHERE TabID = ?").arg(QString::fromLatin1(table)), {id})
            .toString();
    };
    struct Step
    {
        const char *code;
        const char *lines;
        QStringList warnings;
    };
    const Step steps[] = {
        {"6901234", "101:1.0:1.5", {}},                  // the bar code: a line at the selling price
        {"6901234", "101:2.0:1.5", {}},                  // again: one more on the same line
        {" 103 ", "101:2.0:1.5,103:1.0:3.25", {}},       // the goods code does as well
        {"X-9", "101:2.0:1.5,103:1.0:3.25", {"没有条码或代码为“X-9”的商品。"}},
    };
    for (const Step &step : steps) {
        f->prompter.clear();
        scan(page, QString::fromUtf8(step.code));
        QCOMPARE(lines("DiaoBoMx", tabId), QString::fromLatin1(step.lines));
        QCOMPARE(f->prompter.texts(), step.warnings);
        QCOMPARE(f->tab().DiaoBoMx->state(), Dataset::State::Browse);
    }
    QCOMPARE(page->ui.scan->text(), QStringLiteral("X-9")); // kept to be corrected
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT SumMoney FROM DiaoBoDan WHERE TabID = ?", {tabId}).toDouble(), 6.25);
    // On a receipt the price is what the customer holds the item at.
    const QVariant receipt = newBill(window, BillKind::Receipt, 1);
    scan(window->page(BillKind::Receipt), "105");
    QCOMPARE(lines("ChuKuMx", receipt), QStringLiteral("105:1.0:7.5"));
}

void TestBusiness::priceHistory()
{
    // 张三商店 (1) was sold 101 at 1.5 and then 2.0; 李四超市 (2) at 9.
    test::execOn(set->path(), {"INSERT INTO DiaoBoDan (TabID, BookID, CustID, TabDate) VALUES "
                               "(1, 'D1', 1, '2026-01-05'), (2, 'D2', 1, '2026-02-01'), (3, 'D3', 2, '2026-03-01')",
                               "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Qty, Price) VALUES "
                               "(1, 1, 101, 5, 1.5), (2, 1, 101, 3, 2.0), (3, 1, 101, 9, 9)"});
    TfrmBusiness *window = openWindow();
    QVERIFY(window);
    newBill(window, BillKind::Delivery, 1);
    BillPage *page = window->page(BillKind::Delivery);
    Dataset *lines = f->tab().DiaoBoMx;
    QVERIFY(lines->append().ok());
    QVERIFY(lines->setValue("GoodID", 101).ok());
    QVERIFY(lines->setValue("Qty", 1).ok());
    QVERIFY(lines->post().ok());
    auto shown = [&] {
        QStringList rows;
        for (int row = 0; row < page->ui.history->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < page->ui.history->columnCount(); ++column)
                cells << page->ui.history->item(row, column)->text();
            rows << cells.join(' ');
        }
        return rows;
    };
    QCOMPARE(shown(), (QStringList{"2026-02-01 D2 3 2.00", "2026-01-05 D1 5 1.50"}));
    // The price typed is marked while it is more than 30 % from the last one (2.0); nothing
    // is asked and the line posts either way.
    const QModelIndex price = page->ui.grid->model()->index(0, 5);
    for (const auto &[typed, off] : {std::pair{2.6, false}, std::pair{2.7, true}, std::pair{1.3, true}, std::pair{2.0, false}}) {
        QVERIFY(lines->edit().ok());
        QVERIFY(lines->setValue("Price", typed).ok());
        QVERIFY(lines->post().ok());
        QCOMPARE(price.data(Qt::BackgroundRole) == QVariant(BillPage::priceOffColour()), off);
    }
    QVERIFY(f->prompter.texts().isEmpty());
    // Another customer's bill shows that customer's prices.
    newBill(window, BillKind::Delivery, 2);
    QVERIFY(lines->append().ok());
    QVERIFY(lines->setValue("GoodID", 101).ok());
    QCOMPARE(shown(), (QStringList{"2026-03-01 D3 9 9.00"}));
    QVERIFY(lines->setValue("GoodID", 103).ok());
    QVERIFY(shown().isEmpty());
}

QTEST_MAIN(TestBusiness)
#include "test_business.moc"
