// The totals window as the user meets it: proposed dates, refused ranges, and a run whose
// log and bar are live while the counters are rebuilt.
#include "core/analysis/totalsrange.h"
#include "core/bills/periodoperations.h"
#include "support/appfixture.h"
#include "support/books.h"
#include "ui/analysis/tfrmtotaltabs.h"
#include "ui/shell/tfrmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace hemu;

class TestTfrmTotalTabs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void proposesTheRange();
    void refusesBadRanges_data();
    void refusesBadRanges();
    void runsLive();

private:
    TfrmTotalTabs *open();
    double stored(const QString &sql) { return m_books->db().scalar(sql).toDouble(); }
    std::unique_ptr<test::Books> m_books;
    std::unique_ptr<test::AppFixture> m_app;
};

void TestTfrmTotalTabs::init()
{
    // The bills go in through the rules of another program on the same file; then the
    // counters are spoiled, so that only a recalculation can make them right again.
    m_books = std::make_unique<test::Books>();
    m_books->bill(BillKind::StockIn, 1, {{1, 10, 2}, {2, 5, 1}}, "2026-03-02");
    m_books->bill(BillKind::Delivery, 2, {{1, 4, 3}}, "2026-03-05");
    m_books->bill(BillKind::Receipt, 2, {{1, 1, 3}}, "2026-03-09");
    QVERIFY(m_books->db().exec("UPDATE Goods SET HandInc = 99, CustHandInc = 99, Sold = 99"));
    QVERIFY(m_books->db().exec("UPDATE GoodsInCusts SET HandInc = 99"));
    m_app = std::make_unique<test::AppFixture>();
    QVERIFY(m_app->start(m_books->set.path()));
}

void TestTfrmTotalTabs::cleanup()
{
    m_app.reset();
    m_books.reset();
}

TfrmTotalTabs *TestTfrmTotalTabs::open()
{
    m_app->command("nTotalTabs");
    auto *window = test::control<TfrmTotalTabs>(&m_app->main(), "frmTotalTabs");
    if (!window->isVisible())
        qFatal("the totals window did not show");
    return window;
}

void TestTfrmTotalTabs::proposesTheRange()
{
    TfrmTotalTabs *w = open();
    QCOMPARE(w->windowTitle(), QStringLiteral("汇总单据..."));
    TotalsRange::Defaults expected = TotalsRange::defaults(QDate::currentDate(), QDate());
    QCOMPARE(w->ui.edBeginDate->text(), expected.begin);
    QCOMPARE(w->ui.edEndDate->text(), expected.end);
    QCOMPARE(w->ui.Label1->text(), QStringLiteral("未曾结转"));
    QVERIFY(w->ui.ProgressBar1->isHidden());

    // What was typed is not kept: the next showing proposes again, from the carry-forward.
    w->ui.edBeginDate->setText("2020-01-01");
    w->ui.Memo1->setPlainText("old");
    test::control<QPushButton>(w, "SpeedButton4")->click();
    QVERIFY(!w->isVisible());
    QVERIFY(m_books->db().exec("UPDATE UserInfo SET 结转时间 = '2026-02-27'"));
    w = open();
    expected = TotalsRange::defaults(QDate::currentDate(), QDate(2026, 2, 27));
    QCOMPARE(w->ui.edBeginDate->text(), QStringLiteral("2026-02-27"));
    QCOMPARE(w->ui.edEndDate->text(), expected.end);
    QCOMPARE(w->ui.Label1->text(), QStringLiteral("上次结转于:2026-02-27"));
    QVERIFY(w->ui.Memo1->toPlainText().isEmpty());
}

void TestTfrmTotalTabs::refusesBadRanges_data()
{
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no date") << "2026-02-30" << "2026-03-30" << "异常：日期错.";
    QTest::newRow("out of order") << "2026-03-31" << "2026-03-30" << "日期顺序错误，汇总取消。";
    QTest::newRow("month without leading zero") << "2026-3-1" << "2026-03-30" << "日期顺序错误，汇总取消。";
    // In order as texts, but no bound the stored dates can be compared with.
    QTest::newRow("passes the order, not the recalculation") << "2026-1-1" << "2026-12-30" << "异常：日期错.";
}

void TestTfrmTotalTabs::refusesBadRanges()
{
    QFETCH(QString, begin);
    QFETCH(QString, end);
    QFETCH(QString, warning);
    TfrmTotalTabs *w = open();
    w->ui.edBeginDate->setText(begin);
    w->ui.edEndDate->setText(end);
    m_app->prompter.clear();
    test::control<QPushButton>(w, "SpeedButton3")->click();
    QCOMPARE(m_app->prompter.texts(), QStringList{warning});
    QCOMPARE(stored("SELECT HandInc FROM Goods WHERE GoodID = 1"), 99.0);
    QVERIFY(w->ui.Memo1->toPlainText().isEmpty());
}

void TestTfrmTotalTabs::runsLive()
{
    TfrmTotalTabs *w = open();
    // Equal dates are accepted: nothing lies in between, every movement becomes 0.
    w->ui.edBeginDate->setText("2026-03-02");
    w->ui.edEndDate->setText("2026-03-02");
    test::control<QPushButton>(w, "SpeedButton3")->click();
    QCOMPARE(stored("SELECT HandInc + CustHandInc + Sold FROM Goods WHERE GoodID = 1"), 0.0);
    QVERIFY(m_app->prompter.texts().isEmpty());

    // The start day is left out, the end day counted.
    w->ui.edBeginDate->setText("2026-03-01");
    w->ui.edEndDate->setText("2026-03-05");
    // A timer is served while the run holds the window: it sees the bar and the log.
    bool barShown = false;
    QString logSeen;
    QTimer::singleShot(0, w, [&] {
        barShown = w->ui.ProgressBar1->isVisible();
        logSeen = w->ui.Memo1->toPlainText();
    });
    test::control<QPushButton>(w, "SpeedButton3")->click();
    QVERIFY(barShown);
    QVERIFY2(w->isRunning() == false, "the run is over");
    QVERIFY(logSeen.isEmpty() || logSeen.startsWith(PeriodOperations::recalcStep1Text()));
    QCOMPARE(w->ui.Memo1->toPlainText(), QStringList({PeriodOperations::recalcStep1Text(), PeriodOperations::recalcStep2Text(),
                                                      PeriodOperations::recalcStep3Text(), "    ",
                                                      PeriodOperations::recalcDoneText()})
                                             .join('\n'));
    QVERIFY(w->ui.ProgressBar1->isHidden());
    QCOMPARE(stored("SELECT HandInc FROM Goods WHERE GoodID = 1"), 10.0);
    QCOMPARE(stored("SELECT CustHandInc FROM Goods WHERE GoodID = 1"), 4.0);
    QCOMPARE(stored("SELECT Sold FROM Goods WHERE GoodID = 1"), 0.0);
    QCOMPARE(stored("SELECT HandInc FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 2"), 4.0);
    QVERIFY(m_app->prompter.texts().isEmpty());
}

QTEST_MAIN(TestTfrmTotalTabs)
#include "test_tfrmtotaltabs.moc"
