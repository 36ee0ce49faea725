// Carry forward to the next period and the clearing commands, as the user meets them.
#include "core/bills/bookscheck.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"
#include "core/shell/accountsetshell.h"
#include "core/shell/periodclose.h"
#include "support/books.h"

#include <QtTest>

using namespace hemu;
using test::Books;

class TestPeriodClose : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstCarryForward();
    void backupFirstThenCarry();
    void sameDayTwiceIsAllowed();
    void clockBehindTheLastDateRefuses();
    void failedCarryForwardKeepsTheOldDate();
    void clearing_data();
    void clearing();
    void viewsKeepTheirPlaceAndPendingEdits();

private:
    QString stored() { return m_books->db().scalar("SELECT 结转时间 FROM UserInfo").toString(); }
    std::unique_ptr<Books> m_books;
    ScriptedFileChooser m_files;
    NullProgress m_busy;
    std::unique_ptr<AccountSetShell> m_shell;
    std::unique_ptr<PeriodClose> m_close;
};

void TestPeriodClose::init()
{
    m_books = std::make_unique<Books>();
    m_shell = std::make_unique<AccountSetShell>(*m_books->base, m_books->prompter, m_files, m_busy);
    m_shell->AccSetFileName = m_books->set.path();
    m_shell->AccSetOpen = true;
    m_close = std::make_unique<PeriodClose>(*m_books->base, *m_books->tab, *m_shell, m_books->prompter);
    m_books->bill(BillKind::StockIn, 1, {{1, 10, 2}});
    m_books->bill(BillKind::Delivery, 2, {{1, 4, 3}});
    m_books->prompter.clear();
}

void TestPeriodClose::cleanup()
{
    m_close.reset();
    m_shell.reset();
    m_books.reset();
}

void TestPeriodClose::firstCarryForward()
{
    const QDate today(2026, 12, 10);
    m_books->prompter.queueAnswer(false); // no backup
    m_books->prompter.queueAnswer(true);  // carry forward without one
    m_books->prompter.queueAnswer(true);  // dates in order
    m_close->carryForward(today);
    const QStringList texts = m_books->prompter.texts();
    QCOMPARE(texts.size(), 4);
    QCOMPARE(texts[0], QString("结转将改写期初，建议备份帐套数据。备份吗?"));
    QCOMPARE(texts[1], QString("你选择不备份帐套数据，如果直接转入下期，则不能退回。转入下期吗？"));
    QCOMPARE(texts[2], QString("上次结转时间:") + shortDateText(QDate(1899, 12, 30)) + ",当前时间:" + shortDateText(today)
                           + "时间顺序正常，可以执行结转，继续吗?");
    QCOMPARE(texts[3], QString("结转完毕！"));
    QCOMPARE(stored(), QString("2026-12-10"));
    QCOMPARE(m_books->goods("PrevOnHand", 1), 6.0);
    QCOMPARE(m_books->goods("PrevOnCustHand", 1), 4.0);
    QCOMPARE(m_books->goods("HandInc + CustHandInc", 1), 0.0);
    // The stock view shows the new period at once.
    QVERIFY(m_books->tab->Goods->locate("GoodID", 1));
    QCOMPARE(m_books->tab->Goods->value("PrevOnHand").toDouble(), 6.0);
}

void TestPeriodClose::backupFirstThenCarry()
{
    // Yes to the backup, then the backup dialog is cancelled: the carry-forward still asks.
    m_books->prompter.queueAnswer(true);
    m_books->prompter.queueAnswer(false);
    m_close->carryForward(QDate(2026, 12, 10));
    QCOMPARE(m_files.titles(), QStringList({"备份"}));
    QCOMPARE(m_books->prompter.texts().size(), 2);
    QVERIFY(m_books->prompter.lastText().endsWith("时间顺序正常，可以执行结转，继续吗?"));
    QVERIFY(stored().isEmpty());
    QCOMPARE(m_books->goods("HandInc", 1), 10.0);

    // With a name the backup is written before the carry-forward.
    const QString copy = m_books->set.file("backup.xb");
    m_files.queue(copy);
    m_books->prompter.clear();
    m_close->carryForward(QDate(2026, 12, 10));
    QVERIFY(m_books->prompter.texts().contains("备份数据文件成功！"));
    QCOMPARE(m_books->prompter.lastText(), QString("结转完毕！"));
    Database backup;
    QVERIFY(backup.open(copy));
    QCOMPARE(backup.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 10.0);
}

void TestPeriodClose::sameDayTwiceIsAllowed()
{
    for (int i = 0; i < 2; ++i) {
        m_books->prompter.queueAnswer(false);
        m_books->prompter.queueAnswer(true);
        m_books->prompter.queueAnswer(true);
        m_close->carryForward(QDate(2026, 12, 10));
        QCOMPARE(m_books->prompter.lastText(), QString("结转完毕！"));
    }
    QCOMPARE(m_books->goods("PrevOnHand", 1), 6.0);
}

void TestPeriodClose::clockBehindTheLastDateRefuses()
{
    QVERIFY(m_books->db().exec("UPDATE UserInfo SET 结转时间 = '2026-12-10'"));
    m_books->prompter.queueAnswer(false);
    m_books->prompter.queueAnswer(true);
    m_close->carryForward(QDate(2026, 12, 9));
    QCOMPARE(m_books->prompter.entries().last().kind, Prompter::Kind::Warning);
    QCOMPARE(m_books->prompter.lastText(), QString("上次结转时间:") + shortDateText(QDate(2026, 12, 10)) + ",当前时间:"
                                               + shortDateText(QDate(2026, 12, 9)) + ",时间错位，取消本次结转。");
    QCOMPARE(stored(), QString("2026-12-10"));
    QCOMPARE(m_books->goods("HandInc", 1), 10.0);
}

void TestPeriodClose::failedCarryForwardKeepsTheOldDate()
{
    QVERIFY(m_books->db().exec("CREATE TRIGGER fail BEFORE UPDATE OF PrevOnHand ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'x'); END"));
    m_books->prompter.queueAnswer(false);
    m_books->prompter.queueAnswer(true);
    m_books->prompter.queueAnswer(true);
    m_close->carryForward(QDate(2026, 12, 10));
    QCOMPARE(m_books->prompter.lastText(), QString("异常：结转处理失败!"));
    QVERIFY(stored().isEmpty());
    QCOMPARE(m_books->goods("HandInc", 1), 10.0);
    QCOMPARE(m_books->goods("PrevOnHand", 1), 0.0);
}

void TestPeriodClose::clearing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("bills");
    QTest::addColumn<double>("handInc");
    QTest::newRow("bills") << "N18" << true << QStringList{"单据被清空之后不能恢复，确实要清空全部单据吗？", "成功清空单据。"} << 0 << 10.0;
    QTest::newRow("bills, No") << "N18" << false << QStringList{"单据被清空之后不能恢复，确实要清空全部单据吗？"} << 1 << 10.0;
    QTest::newRow("totals") << "N19" << true << QStringList{"总帐数据被清空之后不能恢复，确实要清空吗？", "总帐数据已经被清空。"} << 1 << 0.0;
    QTest::newRow("totals, No") << "N19" << false << QStringList{"总帐数据被清空之后不能恢复，确实要清空吗？"} << 1 << 10.0;
    QTest::newRow("all") << "N20" << true << QStringList{"全部数据被清空之后不能恢复，确实要清空吗？", "全部数据成功清空。"} << 0 << 0.0;
    QTest::newRow("all, No") << "N20" << false << QStringList{"全部数据被清空之后不能恢复，确实要清空吗？"} << 1 << 10.0;
}

void TestPeriodClose::clearing()
{
    QFETCH(QString, command);
    QFETCH(bool, yes);
    QFETCH(QStringList, texts);
    QFETCH(int, bills);
    QFETCH(double, handInc);
    m_books->prompter.queueAnswer(yes);
    if (command == "N18")
        m_close->clearBills();
    else if (command == "N19")
        m_close->clearTotals();
    else
        m_close->clearAll();
    QCOMPARE(m_books->prompter.texts(), texts);
    QCOMPARE(m_books->db().scalar("SELECT count(*) FROM RuKuDan").toInt(), bills);
    QCOMPARE(m_books->goods("HandInc", 1), handInc);
    QCOMPARE(m_books->db().scalar("SELECT count(*) FROM Goods").toInt(), 5);
    // The views stay open and show what is left.
    QVERIFY(m_books->tab->RuKu->isOpen());
    QCOMPARE(m_books->tab->RuKu->rowCount(), bills);
    QVERIFY(m_books->tab->Goods->isOpen());
}

void TestPeriodClose::viewsKeepTheirPlaceAndPendingEdits()
{
    Books &b = *m_books;
    Dataset &stock = *b.tab->Goods, &master = *b.base->Goods, &picker = *b.base->lkGoods;
    QVERIFY(stock.locate("GoodID", 2));
    QVERIFY(master.locate("GoodID", 1));
    QVERIFY(picker.locate("GoodID", 2));
    b.bill(BillKind::StockIn, 1, {{2, 5, 1}});
    // A name typed in the base-information window and not saved yet.
    QVERIFY(master.edit().ok());
    QVERIFY(master.setValue("Description", QStringLiteral("新名称")).ok());
    b.prompter.queueAnswer(false); // no backup
    b.prompter.queueAnswer(true);  // carry forward without one
    b.prompter.queueAnswer(true);  // dates in order
    m_close->carryForward(QDate(2026, 12, 10));
    QCOMPARE(stored(), QString("2026-12-10"));

    // The views show the new period on the rows they stood on.
    QCOMPARE(stock.value("GoodID").toInt(), 2);
    QCOMPARE(stock.value("PrevOnHand").toDouble(), 5.0);
    QCOMPARE(stock.value("HandInc").toDouble(), 0.0);
    QCOMPARE(picker.value("GoodID").toInt(), 2);
    // The typed name is still there; saved, it changes the name alone, and the view then
    // shows the carried counters.
    QVERIFY(master.isEditing());
    QCOMPARE(master.value("Description").toString(), QStringLiteral("新名称"));
    QVERIFY(master.post().ok());
    QCOMPARE(master.value("GoodID").toInt(), 1);
    QCOMPARE(master.value("PrevOnHand").toDouble(), 6.0);
    QCOMPARE(b.db().scalar("SELECT Description FROM Goods WHERE GoodID = 1").toString(), QStringLiteral("新名称"));
    QCOMPARE(b.goods("PrevOnHand", 1), 6.0);
    QCOMPARE(b.goods("HandInc + CustHandInc", 1), 0.0);
}

QTEST_GUILESS_MAIN(TestPeriodClose)
#include "test_periodclose.moc"
