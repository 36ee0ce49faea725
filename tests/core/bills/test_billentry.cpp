// What the bill entry window decides without drawing: red lines, captions, counts and where
// the bill list puts the window.
#include "core/bills/billentry.h"

#include <QtTest>

using namespace hemu;

class TestBillEntry : public QObject
{
    Q_OBJECT
private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void drawnRed_data();
    void drawnRed();
    void texts();
    void listGeometry_data();
    void listGeometry();
};

void TestBillEntry::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("half down to even") << 2.5 << 2.0;
    QTest::newRow("half up to even") << 3.5 << 4.0;
    QTest::newRow("negative half to even") << -2.5 << -2.0;
    QTest::newRow("minus a half to zero") << -0.5 << 0.0;
    QTest::newRow("minus one and a half") << -1.5 << -2.0;
    QTest::newRow("below a half") << -0.4 << 0.0;
    QTest::newRow("above a half") << -0.6 << -1.0;
}

void TestBillEntry::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(BillEntry::roundHalfEven(value), rounded);
}

void TestBillEntry::drawnRed_data()
{
    QTest::addColumn<QVariant>("qty");
    QTest::addColumn<bool>("red");
    QTest::newRow("-2") << QVariant(-2.0) << true;
    QTest::newRow("-0.4") << QVariant(-0.4) << false;
    QTest::newRow("-0.5 rounds to zero") << QVariant(-0.5) << false;
    QTest::newRow("-0.6") << QVariant(-0.6) << true;
    QTest::newRow("-1.5 rounds to -2") << QVariant(-1.5) << true;
    QTest::newRow("positive") << QVariant(3) << false;
    QTest::newRow("zero") << QVariant(0) << false;
    QTest::newRow("empty") << QVariant() << false;
}

void TestBillEntry::drawnRed()
{
    QFETCH(QVariant, qty);
    QFETCH(bool, red);
    QCOMPARE(BillEntry::drawnRed(qty), red);
}

void TestBillEntry::texts()
{
    QCOMPARE(BillEntry::listCaption(BillKind::StockIn, 3), QStringLiteral("入库单 3张"));
    QCOMPARE(BillEntry::listCaption(BillKind::Delivery, 0), QStringLiteral("调拨单 0张"));
    QCOMPARE(BillEntry::listCaption(BillKind::Receipt, 12), QStringLiteral("出库单 12张"));
    QCOMPARE(BillEntry::countText(10), QStringLiteral("单据总数:10"));
}

void TestBillEntry::listGeometry_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("left");
    QTest::newRow("narrow screen: the window fills it") << true << 800 << 520 << 800 << 470 << 330 << 0;
    QTest::newRow("wide screen: the window grows by the list") << true << 1600 << 520 << 850 << 520 << 330 << 375;
    QTest::newRow("exactly room for both") << true << 850 << 520 << 850 << 520 << 330 << 0;
    QTest::newRow("odd room: the left edge rounds down") << true << 1281 << 520 << 850 << 520 << 330 << 215;
    QTest::newRow("closed again") << false << 1600 << 520 << 520 << 520 << 0 << 540;
}

void TestBillEntry::listGeometry()
{
    QFETCH(bool, open);
    QFETCH(int, screen);
    QFETCH(int, width);
    QFETCH(int, window);
    QFETCH(int, page);
    QFETCH(int, list);
    QFETCH(int, left);
    const BillEntry::ListGeometry g = open ? BillEntry::openList(screen, width) : BillEntry::closeList(screen, width);
    QCOMPARE(g.windowWidth, window);
    QCOMPARE(g.pageWidth, page);
    QCOMPARE(g.listWidth, list);
    QCOMPARE(g.left, left);
}

QTEST_APPLESS_MAIN(TestBillEntry)
#include "test_billentry.moc"
