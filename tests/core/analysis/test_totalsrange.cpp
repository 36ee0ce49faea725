// The totals window's date range: what it proposes and which ranges it refuses.
#include "core/analysis/totalsrange.h"

#include <QtTest>

using namespace hemu;

class TestTotalsRange : public QObject
{
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void check_data();
    void check();
};

void TestTotalsRange::defaults_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("carried");
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("label");
    const QString never = QStringLiteral("未曾结转");
    QTest::newRow("never carried, March") << QDate(2026, 3, 14) << QDate() << "2026-02-28" << "2026-03-30" << never;
    QTest::newRow("never carried, January") << QDate(2026, 1, 2) << QDate() << "2025-12-30" << "2026-01-30" << never;
    QTest::newRow("never carried, February") << QDate(2026, 2, 28) << QDate() << "2026-01-30" << "2026-02-28" << never;
    QTest::newRow("empty date read as day 0") << QDate(2026, 5, 31) << QDate(1899, 12, 30) << "2026-04-30" << "2026-05-30" << never;
    QTest::newRow("after a carry-forward") << QDate(2026, 4, 3) << QDate(2026, 3, 30) << "2026-03-30" << "2026-04-30"
                                           << "上次结转于:2026-03-30";
    QTest::newRow("carried the same day") << QDate(2026, 4, 3) << QDate(2026, 4, 3) << "2026-04-03" << "2026-04-30"
                                          << "上次结转于:2026-04-03";
}

void TestTotalsRange::defaults()
{
    QFETCH(QDate, today);
    QFETCH(QDate, carried);
    const TotalsRange::Defaults d = TotalsRange::defaults(today, carried);
    QTEST(d.begin, "begin");
    QTEST(d.end, "end");
    QTEST(d.carryText, "label");
}

void TestTotalsRange::check_data()
{
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("in order") << "2026-02-28" << "2026-03-30" << QString();
    QTest::newRow("equal dates") << "2026-03-30" << "2026-03-30" << QString();
    QTest::newRow("start after end") << "2026-04-01" << "2026-03-30" << "日期顺序错误，汇总取消。";
    // A valid date, but its text sorts after the end written with leading zeros.
    QTest::newRow("start without leading zero") << "2026-3-1" << "2026-03-30" << "日期顺序错误，汇总取消。";
    QTest::newRow("start no date") << "2026-02-30" << "2026-03-30" << "异常：日期错.";
    QTest::newRow("end no date") << "2026-02-28" << "abc" << "异常：日期错.";
    QTest::newRow("empty start") << "" << "2026-03-30" << "异常：日期错.";
}

void TestTotalsRange::check()
{
    QFETCH(QString, begin);
    QFETCH(QString, end);
    QTEST(TotalsRange::refusalText(TotalsRange::check(begin, end)), "refusal");
}

QTEST_APPLESS_MAIN(TestTotalsRange)
#include "test_totalsrange.moc"
