// The payables window as the user meets it: the vendors' totals, the bills with their
// settled marks, finding a vendor, printing the lists and looking up a bill.
#include "core/analysis/payables.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/db/database.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/testsupport.h"
#include "ui/analysis/tfrmbuymanage.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"

#include "core/reports/textexport.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"

#include <QPrintPreviewDialog>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

class TestBuyManage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsAndMarks();
    void refreshReadsAgain();
    void findVendor();
    void lookUpBill();
    void printLists();

private:
    TfrmBuyManage *open();
    void exec(const QString &sql);
    test::TempAccountSet *m_set = nullptr;
    test::AppFixture *m_f = nullptr;
};

void TestBuyManage::init()
{
    m_set = new test::TempAccountSet;
    {
        Database db;
        QVERIFY(db.open(m_set->path()));
        QVERIFY(db.exec("INSERT INTO Vendors(VendorID, VendorName) VALUES (1, '红星工厂'), (2, '东方厂'), (3, '西山公司')"));
        QVERIFY(db.exec("INSERT INTO RuKuDan(TabID, BookID, CustID, TabDate, SumMoney, invoiceMny) VALUES "
                        "(1, 'RK-2026-3-1', 1, '2026-03-01', 100, NULL), (2, 'RK-2026-3-2', 1, '2026-03-02', 50, 50), "
                        "(3, 'RK-2026-3-5', 2, '2026-03-05', 30, 10)"));
    }
    m_f = new test::AppFixture;
}

void TestBuyManage::cleanup()
{
    delete m_f;
    delete m_set;
}

void TestBuyManage::exec(const QString &sql)
{
    QVERIFY(m_f->base().MyADOCnn().exec(sql));
}

TfrmBuyManage *TestBuyManage::open()
{
    if (!m_f->start(m_set->path()))
        return nullptr;
    return qobject_cast<TfrmBuyManage *>(m_f->command("nBuyManage"));
}

void TestBuyManage::listsAndMarks()
{
    TfrmBuyManage *window = open();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("进货管理"));
    Dataset &vendors = *window->ui.DBGrid1->dataset();
    Dataset &bills = *window->ui.DBGrid2->dataset();
    QCOMPARE(test::columnOf(vendors, "lkVendor"), (QVariantList{"红星工厂", "东方厂"}));
    QCOMPARE(window->ui.DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("总计应付款"));
    QCOMPARE(window->ui.DBGrid1->model()->index(0, 1).data().toString(), QStringLiteral("150.00"));
    // The first vendor's bills: the one without an invoice is open, the paid one settled.
    QCOMPARE(test::columnOf(bills, "TabID"), (QVariantList{1, 2}));
    QCOMPARE(test::columnOf(bills, "clear"), (QVariantList{"X", "√"}));
    QStringList titles;
    for (int c = 0; c < window->ui.DBGrid2->model()->columnCount(); ++c)
        titles << window->ui.DBGrid2->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"日期", "单据ID", "原始单据", "应付款", "已付款", "结清"}));

    test::clickRow(window->ui.DBGrid1, 1);
    QCOMPARE(test::columnOf(bills, "TabID"), (QVariantList{3}));
    QCOMPARE(test::columnOf(bills, "clear"), (QVariantList{"X"}));
    QVERIFY(m_f->prompter.texts().isEmpty());
}

void TestBuyManage::refreshReadsAgain()
{
    TfrmBuyManage *window = open();
    QVERIFY(window);
    exec("UPDATE RuKuDan SET invoiceMny = 100 WHERE TabID = 1");
    exec("INSERT INTO RuKuDan(TabID, BookID, CustID, TabDate, SumMoney) VALUES (4, 'RK-2026-3-9', 3, '2026-03-09', 8)");
    QCOMPARE(window->ui.DBGrid1->dataset()->rowCount(), 2);
    window->ui.SpeedButton2->click();
    QCOMPARE(test::columnOf(*window->ui.DBGrid1->dataset(), "CustID"), (QVariantList{1, 2, 3}));
    QCOMPARE(test::columnOf(*window->ui.DBGrid2->dataset(), "clear"), (QVariantList{"√", "√"}));
}

void TestBuyManage::findVendor()
{
    TfrmBuyManage *window = open();
    QVERIFY(window);
    auto pickVendor = [](int vendorId) {
        test::whenModal<TfrmPickVendor>([vendorId](TfrmPickVendor *shown) {
            Dataset &list = shown->ADOQry();
            test::doubleClickRow(test::control<DataGrid>(shown, "DBGrid1"), test::rowOf(list, list.field(0).name(), vendorId));
        });
    };
    pickVendor(2);
    window->ui.SpeedButton5->click();
    QCOMPARE(window->ui.DBGrid1->dataset()->value("CustID").toInt(), 2);
    QCOMPARE(window->ui.DBGrid1->currentIndex().row(), 1);
    QCOMPARE(test::columnOf(*window->ui.DBGrid2->dataset(), "TabID"), (QVariantList{3}));
    QVERIFY(m_f->prompter.texts().isEmpty());

    // A vendor without stock-in bills owes nothing, and the list stays where it was.
    pickVendor(3);
    window->ui.SpeedButton5->click();
    QCOMPARE(m_f->prompter.texts(), (QStringList{"无应付款。"}));
    QCOMPARE(window->ui.DBGrid1->dataset()->value("CustID").toInt(), 2);

    // Cancelling the picker changes nothing.
    test::whenModal<TfrmPickVendor>([](TfrmPickVendor *shown) { shown->reject(); });
    window->ui.SpeedButton5->click();
    QCOMPARE(m_f->prompter.texts().size(), 1);
}

void TestBuyManage::lookUpBill()
{
    TfrmBuyManage *window = open();
    QVERIFY(window);
    Dataset *stockIn = m_f->tab().RuKu;
    test::clickRow(window->ui.DBGrid2, 1);
    window->ui.SpeedButton3->click();
    QCOMPARE(stockIn->value("TabID").toInt(), 2);
    if (m_f->main().windowNames().contains("frmBusiness")) {
        QVERIFY(m_f->activeChild());
        QCOMPARE(m_f->activeChild()->objectName(), QStringLiteral("frmBusiness"));
        auto *entry = qobject_cast<TfrmBusiness *>(m_f->activeChild());
        QVERIFY(entry);
        QCOMPARE(entry->pageIndex(), 0); // the stock-in page, on the bill looked up
        QCOMPARE(entry->ActiveTabSource(), stockIn);
        QVERIFY(m_f->prompter.texts().isEmpty());
    } else {
        QCOMPARE(m_f->prompter.texts(), (QStringList{"单据录入不可用。"}));
    }
    m_f->prompter.clear();

    // A bill the stock-in bills do not hold at the moment (a search hides it) is not there.
    QVERIFY(stockIn->setFilter("TabID = 3").ok());
    QVERIFY(stockIn->setFiltered(true).ok());
    window->ui.SpeedButton3->click();
    QCOMPARE(m_f->prompter.texts(), (QStringList{Payables::missingBillText()}));
    QCOMPARE(stockIn->value("TabID").toInt(), 3);
}

void TestBuyManage::printLists()
{
    TfrmBuyManage *window = open();
    QVERIFY(window);
    // 总计 prints every vendor's total, 明细 the bills of the vendor on the current row.
    const QList<QPair<QToolButton *, QString>> cases{{window->ui.SpeedButton4, QStringLiteral("frmRepBuyManTotal")},
                                                     {window->ui.SpeedButton1, QStringLiteral("frmRepBuyManage")}};
    for (const auto &[button, name] : cases) {
        button->click();
        ReportWindow *report = m_f->app->context().preview->shownReport();
        QVERIFY(report);
        QCOMPARE(report->objectName(), name);
        QCOMPARE(report->parent(), window);
        report->store()->finishNow();
        QVERIFY(!reports::textexport::toText(report->store()->model()).isEmpty());
        m_f->app->context().preview->close();
        QCOMPARE(button->toolTip(), QStringLiteral("打印"));
    }
}

QTEST_MAIN(TestBuyManage)
#include "test_buymanage.moc"
