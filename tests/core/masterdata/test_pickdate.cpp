// Where the date picker's calendar stands when shown, and its titles.
#include "core/masterdata/pickdate.h"

#include <QtTest>

using namespace hemu;

class TestPickDate : public QObject
{
    Q_OBJECT
private slots:
    void calendarOnShow_data();
    void calendarOnShow();
    void titles();
};

void TestPickDate::calendarOnShow_data()
{
    QTest::addColumn<QDate>("calendar");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("shown");
    QTest::newRow("later year keeps month and day") << QDate(2024, 5, 9) << QDate(2026, 12, 10) << QDate(2026, 5, 9);
    QTest::newRow("same year") << QDate(2026, 3, 31) << QDate(2026, 12, 10) << QDate(2026, 3, 31);
    QTest::newRow("29 February into a common year") << QDate(2024, 2, 29) << QDate(2025, 7, 1) << QDate(2025, 2, 28);
    QTest::newRow("29 February into a leap year") << QDate(2024, 2, 29) << QDate(2028, 1, 2) << QDate(2028, 2, 29);
    QTest::newRow("first showing") << QDate() << QDate(2026, 12, 10) << QDate(2026, 12, 10);
}

void TestPickDate::calendarOnShow()
{
    QFETCH(QDate, calendar);
    QFETCH(QDate, today);
    QFETCH(QDate, shown);
    QCOMPARE(PickDate::calendarOnShow(calendar, today), shown);
}

void TestPickDate::titles()
{
    QCOMPARE(PickDate::monthTitle(QDate(2004, 5, 9)), QStringLiteral("2004年5月"));
    QCOMPARE(PickDate::monthTitle(QDate(2026, 12, 1)), QStringLiteral("2026年12月"));
    QCOMPARE(PickDate::dayTitle(QDate(2004, 5, 9), QLocale(QLocale::English)), QStringLiteral("2004,May,9,Sunday"));
    QCOMPARE(PickDate::dayTitle(QDate(2004, 5, 9), QLocale(QLocale::Chinese, QLocale::China)),
             QStringLiteral("2004,五月,9,星期日"));
}

QTEST_GUILESS_MAIN(TestPickDate)
#include "test_pickdate.moc"
