// What a bill may hold: numbers, ids and dates as the bill rules and hemu-cli take them.
#include "core/bills/billvalues.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QtTest>
#include <limits>

using namespace hemu;

class TestBillValues : public QObject
{
    Q_OBJECT
private slots:
    void numbersAndIds_data();
    void numbersAndIds();
    void lineValues_data();
    void lineValues();
    void billDates_data();
    void billDates();
    void rangeDates_data();
    void rangeDates();
};

void TestBillValues::numbersAndIds_data()
{
    // Values as hemu-cli reads them from JSON.
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<bool>("number");
    QTest::addColumn<bool>("id");
    QTest::newRow("whole") << QJsonValue(7) << true << true;
    QTest::newRow("negative whole") << QJsonValue(-1) << true << true;
    QTest::newRow("fraction") << QJsonValue(1.5) << true << false;
    QTest::newRow("beyond 32 bits") << QJsonValue(4294967297.0) << true << false;
    QTest::newRow("text") << QJsonValue("5") << false << false;
    QTest::newRow("true") << QJsonValue(true) << false << false;
    QTest::newRow("list") << QJsonValue(QJsonArray{1}) << false << false;
    QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false << false;
    QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << false << false;
}

void TestBillValues::numbersAndIds()
{
    QFETCH(QJsonValue, value);
    QFETCH(bool, number);
    QFETCH(bool, id);
    QCOMPARE(BillValues::isNumber(value.toVariant()), number);
    int key = 0;
    QCOMPARE(BillValues::isId(value.toVariant(), &key), id);
    if (id)
        QCOMPARE(key, value.toInt());
}

void TestBillValues::lineValues_data()
{
    QTest::addColumn<QVariant>("qty");
    QTest::addColumn<QVariant>("price");
    QTest::addColumn<double>("billTotal");
    QTest::addColumn<bool>("refused");
    const double maxSingle = double(std::numeric_limits<float>::max());
    QTest::newRow("ordinary") << QVariant(5.0) << QVariant(2.5) << 0.0 << false;
    QTest::newRow("empty counts as 0") << QVariant() << QVariant() << 0.0 << false;
    QTest::newRow("largest single") << QVariant(maxSingle) << QVariant(1.0) << 0.0 << false;
    QTest::newRow("qty 1e39") << QVariant(1e39) << QVariant(1.0) << 0.0 << true;
    QTest::newRow("price 1e308") << QVariant(1.0) << QVariant(1e308) << 0.0 << true;
    QTest::newRow("amount 3.4e38 x 2") << QVariant(3.4e38) << QVariant(2.0) << 0.0 << true;
    QTest::newRow("negative amount too") << QVariant(-3.4e38) << QVariant(2.0) << 0.0 << true;
    QTest::newRow("bill total overflows") << QVariant(3e38) << QVariant(1.0) << 3e38 << true;
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << QVariant(1.0) << 0.0 << true;
    QTest::newRow("nan") << QVariant(std::numeric_limits<double>::quiet_NaN()) << QVariant(1.0) << 0.0 << true;
}

void TestBillValues::lineValues()
{
    QFETCH(QVariant, qty);
    QFETCH(QVariant, price);
    QFETCH(double, billTotal);
    QFETCH(bool, refused);
    const QString refusal = BillValues::lineRefusal(qty, price, billTotal);
    QCOMPARE(!refusal.isEmpty(), refused);
    if (refused)
        QCOMPARE(refusal, BillValues::tooLargeText());
}

void TestBillValues::billDates_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QDate>("date");
    QTest::newRow("stored form") << QVariant("2026-12-01") << QDate(2026, 12, 1);
    QTest::newRow("with a time") << QVariant("2026-12-01 08:30:00") << QDate(2026, 12, 1);
    QTest::newRow("a QDate") << QVariant(QDate(2026, 2, 28)) << QDate(2026, 2, 28);
    QTest::newRow("empty") << QVariant("") << QDate();
    QTest::newRow("null") << QVariant() << QDate();
    QTest::newRow("digits only") << QVariant("20261201") << QDate();
    QTest::newRow("year before 1") << QVariant("-0001-01-01") << QDate();
    QTest::newRow("no such day") << QVariant("2026-02-30") << QDate();
    QTest::newRow("a number") << QVariant(20261201) << QDate();
}

void TestBillValues::billDates()
{
    QFETCH(QVariant, value);
    QFETCH(QDate, date);
    QCOMPARE(BillValues::billDate(value), date);
}

void TestBillValues::rangeDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("yyyy-MM-dd") << "2026-03-01" << true;
    QTest::newRow("short month and day") << "2026-3-1" << false;
    QTest::newRow("no such day") << "2026-02-29" << false;
    QTest::newRow("a time of day") << "2026-03-01 00:00" << false;
    QTest::newRow("empty") << "" << false;
}

void TestBillValues::rangeDates()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(BillValues::rangeDate(text).isValid(), valid);
}

QTEST_GUILESS_MAIN(TestBillValues)
#include "test_billvalues.moc"
