// The payables lists: what each vendor is owed and which of its bills are settled.
#include "core/analysis/payables.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestPayables : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void vendorTotals();
    void settledMarks_data();
    void settledMarks();
    void billsFollowTheVendor();
    void findVendor();

private:
    void bill(int tabId, int vendor, double sum, const QVariant &invoiced);
    QStringList column(Dataset &ds, const QString &field);
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestPayables::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    for (int v = 1; v <= 3; ++v)
        QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Vendors(VendorID, VendorName) VALUES (?, ?)"), {v, QStringLiteral("供应商%1").arg(v)}));
    // Vendor 1: bills open, paid exactly, overpaid, partly paid and without an invoice.
    bill(4, 1, 20, 5);
    bill(1, 1, 100, QVariant());
    bill(2, 1, 50, 50);
    bill(3, 1, 30, 40);
    // Vendor 2: an empty bill without an invoice owes nothing.
    bill(5, 2, 0, QVariant());
    // Vendor 3 has no bill; vendor 9 is not on file.
    bill(6, 9, 12.5, QVariant());
}

void TestPayables::cleanup()
{
    delete m_db;
    delete m_set;
}

void TestPayables::bill(int tabId, int vendor, double sum, const QVariant &invoiced)
{
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO RuKuDan(TabID, BookID, CustID, TabDate, SumMoney, invoiceMny) "
                                      "VALUES (?, ?, ?, '2026-03-0' || ?, ?, ?)"),
                       {tabId, QStringLiteral("RK-%1").arg(tabId), vendor, tabId, sum, invoiced}));
}

QStringList TestPayables::column(Dataset &ds, const QString &field)
{
    QStringList out;
    for (int r = 0; r < ds.rowCount(); ++r)
        out << ds.displayText(r, ds.fieldIndex(field));
    return out;
}

void TestPayables::vendorTotals()
{
    Payables p(*m_db);
    QVERIFY(p.open().ok());
    // Every bill counts in the total, settled or not; a vendor without bills is not listed.
    QCOMPARE(column(*p.qSum, QStringLiteral("CustID")), (QStringList{"1", "2", "9"}));
    QCOMPARE(column(*p.qSum, QStringLiteral("DuePay")), (QStringList{"200.00", "0.00", "12.50"}));
    QCOMPARE(column(*p.qSum, QStringLiteral("lkVendor")), (QStringList{"供应商1", "供应商2", ""}));
    QCOMPARE(p.qSum->fieldByName(QStringLiteral("lkVendor")).caption(), QStringLiteral(" 供货方"));
    QVERIFY(!p.qSum->fieldByName(QStringLiteral("CustID")).isVisible());
}

void TestPayables::settledMarks_data()
{
    QTest::addColumn<int>("tabId");
    QTest::addColumn<QString>("clear");
    QTest::addColumn<QString>("paid");
    QTest::newRow("no invoice yet") << 1 << "X" << "";
    QTest::newRow("paid exactly") << 2 << "√" << "50.00";
    QTest::newRow("paid more than due") << 3 << "√" << "40.00";
    QTest::newRow("paid in part") << 4 << "X" << "5.00";
}

void TestPayables::settledMarks()
{
    QFETCH(int, tabId);
    QFETCH(QString, clear);
    QFETCH(QString, paid);
    Payables p(*m_db);
    QVERIFY(p.open().ok());
    QVERIFY(p.findVendor(1));
    QVERIFY(p.qStatistic->locate(QStringLiteral("TabID"), tabId));
    QCOMPARE(p.qStatistic->value(QStringLiteral("clear")).toString(), clear);
    QCOMPARE(p.qStatistic->fieldByName(QStringLiteral("paid")).displayText(), paid);
}

void TestPayables::billsFollowTheVendor()
{
    Payables p(*m_db);
    QVERIFY(p.open().ok());
    QCOMPARE(column(*p.qStatistic, QStringLiteral("TabID")), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(column(*p.qStatistic, QStringLiteral("due")), (QStringList{"100.00", "50.00", "30.00", "20.00"}));
    QCOMPARE(column(*p.qStatistic, QStringLiteral("BookID")), (QStringList{"RK-1", "RK-2", "RK-3", "RK-4"}));
    QVERIFY(p.findVendor(2));
    QCOMPARE(column(*p.qStatistic, QStringLiteral("TabID")), (QStringList{"5"}));
    QCOMPARE(column(*p.qStatistic, QStringLiteral("clear")), (QStringList{"√"}));

    // What changed since is seen when the lists are read again.
    bill(7, 2, 8, QVariant());
    QCOMPARE(p.qStatistic->rowCount(), 1);
    QVERIFY(p.open().ok());
    QVERIFY(p.findVendor(2));
    QCOMPARE(column(*p.qStatistic, QStringLiteral("clear")), (QStringList{"√", "X"}));
    QCOMPARE(p.qSum->fieldByName(QStringLiteral("DuePay")).displayText(), QStringLiteral("8.00"));
}

void TestPayables::findVendor()
{
    Payables p(*m_db);
    QVERIFY(p.open().ok());
    QVERIFY(p.findVendor(9));
    QVERIFY(!p.findVendor(3));
    QCOMPARE(p.qSum->value(QStringLiteral("CustID")).toInt(), 9); // stays where it was
    QCOMPARE(Payables::noPayablesText(), QStringLiteral("无应付款。"));
    QCOMPARE(Payables::missingBillText(), QStringLiteral("单据不存在。"));
}

QTEST_GUILESS_MAIN(TestPayables)
#include "test_payables.moc"
