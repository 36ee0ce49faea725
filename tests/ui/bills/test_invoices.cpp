// The invoice of a stock-in bill entered in its dialog: made on the first click, the bill's
// lines copied once, the number and total handed to the bill on "保存" only.
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/bills/billpage.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/bills/tfrmedinvoices.h"
#include "ui/widgets/datagrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

class TestInvoices : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void madeOnTheFirstClick();
    void linesCopiedOnce();
    void savedInvoiceHandedToTheBill();
    void invalidInvoiceRefused_data();
    void invalidInvoiceRefused();
    void closedWithoutSaving();
    void vendorTakenFromTheBill();

private:
    /// Opens bill entry on the stock-in page, on a bill of vendor 3 with lines of `prices`
    /// (quantities 1, 2, 3...).
    TfrmBusiness *openBill(const QList<double> &prices);
    /// Clicks "发票号" and runs `act` in the dialog.
    void invoiceDialog(TfrmBusiness *window, std::function<void(TfrmEdInvoices *)> act);
    QVariant stored(const QString &sql) { return f->base().MyADOCnn().scalar(sql, {tabId}); }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
    QVariant tabId;
};

void TestInvoices::init()
{
    set = std::make_unique<test::TempAccountSet>();
    test::fillMasters(set->path());
    f = std::make_unique<test::AppFixture>();
}

void TestInvoices::cleanup()
{
    f.reset();
    set.reset();
}

TfrmBusiness *TestInvoices::openBill(const QList<double> &prices)
{
    if (!f->start(set->path()))
        return nullptr;
    auto *window = qobject_cast<TfrmBusiness *>(f->command("miEdTabs"));
    window->showPage(BillKind::StockIn);
    Dataset *bill = f->tab().RuKu;
    Dataset *lines = f->tab().RuKuMx;
    if (!bill->append().ok() || !bill->setValue("CustID", 3).ok() || !bill->post().ok())
        return nullptr;
    tabId = bill->value("TabID");
    const int goods[] = {101, 103, 105};
    for (int i = 0; i < prices.size(); ++i) {
        if (!lines->append().ok() || !lines->setValue("GoodID", goods[i]).ok() || !lines->setValue("Qty", i + 1).ok()
            || !lines->setValue("Price", prices[i]).ok() || !lines->post().ok())
            return nullptr;
    }
    return window;
}

void TestInvoices::invoiceDialog(TfrmBusiness *window, std::function<void(TfrmEdInvoices *)> act)
{
    test::whenModal<TfrmEdInvoices>(act);
    QTest::mouseClick(window->page(BillKind::StockIn)->ui.invoiceButton, Qt::LeftButton);
}

void TestInvoices::madeOnTheFirstClick()
{
    TfrmBusiness *window = openBill({2.5});
    QVERIFY(window);
    QVariantList seen;
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        seen << dialog->windowTitle() << f->tab().Invoices->rowCount() << stored("SELECT vendorid FROM Invoices WHERE TabID = ?")
             << dialog->ui.DBText2->text() << dialog->ui.DBEdit5->text();
        QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(seen, (QVariantList{"登记发票", 1, 3, tabId.toString(), "东方厂"}));
    // The invoice stays though the dialog was closed; the bill is unchanged.
    QCOMPARE(stored("SELECT count(*) FROM Invoices WHERE TabID = ?").toInt(), 1);
    QVERIFY(stored("SELECT invoice FROM RuKuDan WHERE TabID = ?").toString().isEmpty());
    // The second click shows the same invoice.
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) { QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton); });
    QCOMPARE(f->base().MyADOCnn().scalar("SELECT count(*) FROM Invoices").toInt(), 1);
}

void TestInvoices::linesCopiedOnce()
{
    TfrmBusiness *window = openBill({2.5, 4, 10.25});
    QVERIFY(window);
    QStringList texts;
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        QTest::mouseClick(dialog->ui.SpeedButton2, Qt::LeftButton);
        texts << QString::number(f->tab().InvoiceMx->rowCount()) << dialog->ui.DBText1->text();
        QTest::mouseClick(dialog->ui.SpeedButton2, Qt::LeftButton);
        texts << f->prompter.texts() << QString::number(f->tab().InvoiceMx->rowCount());
        QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(texts, (QStringList{"3", "41.25", "明细项已经存在，请手动编辑。", "3"}));
    QCOMPARE(stored("SELECT group_concat(CAST(GoodID AS INTEGER) || ':' || paidqty || ':' || price || ':' || paidmny, ',') FROM InvoiceMx "
                    "WHERE TabID = ?"),
             QVariant("101:1.0:2.5:2.5,103:2.0:4.0:8.0,105:3.0:10.25:30.75"));
    QCOMPARE(stored("SELECT totalmny FROM Invoices WHERE TabID = ?").toDouble(), 41.25);
}

void TestInvoices::savedInvoiceHandedToTheBill()
{
    // 1 × 50.25 + 2 × 25.125 = 100.50
    TfrmBusiness *window = openBill({50.25, 25.125});
    QVERIFY(window);
    bool closed = false;
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        dialog->ui.DBEdit2->setFocus();
        QTest::keyClicks(dialog->ui.DBEdit2, "A123");
        QTest::mouseClick(dialog->ui.SpeedButton2, Qt::LeftButton);
        QTest::mouseClick(dialog->ui.BitBtn1, Qt::LeftButton);
        closed = !dialog->isVisible();
    });
    QVERIFY(closed);
    QVERIFY2(f->prompter.texts().isEmpty(), qPrintable(f->prompter.texts().join('\n')));
    QCOMPARE(stored("SELECT invoice FROM RuKuDan WHERE TabID = ?"), QVariant("A123"));
    QCOMPARE(stored("SELECT invoiceMny FROM RuKuDan WHERE TabID = ?").toDouble(), 100.5);
    BillPage *page = window->page(BillKind::StockIn);
    QCOMPARE(page->ui.invoice->text(), QStringLiteral("A123"));
    QCOMPARE(page->ui.invoiceMny->text(), QStringLiteral("100.50"));
}

void TestInvoices::invalidInvoiceRefused_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("lines");
    QTest::newRow("no number") << QString() << true;
    QTest::newRow("blank number") << "  " << true;
    QTest::newRow("no lines") << "B7" << false;
}

void TestInvoices::invalidInvoiceRefused()
{
    QFETCH(QString, number);
    QFETCH(bool, lines);
    TfrmBusiness *window = openBill({3});
    QVERIFY(window);
    bool stillOpen = false;
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        dialog->ui.DBEdit2->setFocus();
        QTest::keyClicks(dialog->ui.DBEdit2, number);
        if (lines)
            QTest::mouseClick(dialog->ui.SpeedButton2, Qt::LeftButton);
        QTest::mouseClick(dialog->ui.BitBtn1, Qt::LeftButton);
        stillOpen = dialog->isVisible();
        QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton);
    });
    QVERIFY(stillOpen);
    QCOMPARE(f->prompter.texts(), QStringList{"发票无效：没有发票号或没有明细项，不予保存。"});
    QVERIFY(stored("SELECT invoice FROM RuKuDan WHERE TabID = ?").toString().isEmpty());
    QVERIFY(stored("SELECT invoiceMny FROM RuKuDan WHERE TabID = ?").toString().isEmpty());
}

void TestInvoices::closedWithoutSaving()
{
    TfrmBusiness *window = openBill({3});
    QVERIFY(window);
    QVERIFY(f->tab().RuKu->edit().ok());
    QVERIFY(f->tab().RuKu->setValue("invoice", "OLD").ok());
    QVERIFY(f->tab().RuKu->post().ok());
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        QTest::mouseClick(dialog->ui.SpeedButton2, Qt::LeftButton);
        dialog->ui.DBEdit2->setFocus();
        QTest::keyClicks(dialog->ui.DBEdit2, "C9");
        QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(stored("SELECT invoice FROM RuKuDan WHERE TabID = ?"), QVariant("OLD"));
    QVERIFY(!f->tab().Invoices->isEditing());
    // What was posted stays: the copied lines.
    QCOMPARE(stored("SELECT count(*) FROM InvoiceMx WHERE TabID = ?").toInt(), 1);
}

void TestInvoices::vendorTakenFromTheBill()
{
    TfrmBusiness *window = openBill({3});
    QVERIFY(window);
    QVariant before;
    invoiceDialog(window, [&](TfrmEdInvoices *dialog) {
        Dataset *invoices = f->tab().Invoices;
        QVERIFY(invoices->edit().ok());
        QVERIFY(invoices->setValue("vendorid", 1).ok());
        QVERIFY(invoices->post().ok());
        before = stored("SELECT vendorid FROM Invoices WHERE TabID = ?");
        QTest::mouseClick(dialog->ui.SpeedButton5, Qt::LeftButton);
        QTest::mouseClick(dialog->ui.BitBtn2, Qt::LeftButton);
    });
    QCOMPARE(before, QVariant(1));
    QCOMPARE(stored("SELECT vendorid FROM Invoices WHERE TabID = ?"), QVariant(3));
}

QTEST_MAIN(TestInvoices)
#include "test_invoices.moc"
