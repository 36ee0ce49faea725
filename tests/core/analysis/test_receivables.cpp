// The receivables lists: which customers and which goods lines they show.
#include "core/analysis/receivables.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestReceivables : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsFollowAmountsAndQuantities_data();
    void listsFollowAmountsAndQuantities();
    void filterAndFind();

private:
    void stock(int cust, int goods, double prevQty, double prevMny, double incQty, double incMny, double soldQty, double soldMny);
    QList<qint64> column(Dataset &ds, const QString &field);
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestReceivables::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (1, '个')")));
    for (int g = 1; g <= 3; ++g) // goods 3 points at a unit that does not exist
        QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Goods(GoodID, Description, UnitID) VALUES (?, ?, ?)"),
                           {g, QStringLiteral("货品%1").arg(g), g == 3 ? 9 : 1}));
    for (int c = 1; c <= 4; ++c)
        QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Customers(CustID, CustName) VALUES (?, ?)"), {c, QStringLiteral("客户%1").arg(c)}));
    // 1: lines cancel out to a zero amount, each with a quantity left.
    stock(1, 1, 2, 10, 0, 0, 0, 0);
    stock(1, 2, 0, 0, -2, -10, 0, 0);
    // 2: all paid in quantity, an amount still open.
    stock(2, 1, 5, 50, 0, 0, 5, 40);
    // 3: a plain receivable, and a line whose goods item has no known unit.
    stock(3, 1, 0, 0, 4, 40, 1, 10);
    stock(3, 3, 0, 0, 2, 8, 0, 0);
    // 4: nothing left at all.
    stock(4, 2, 1, 5, 0, 0, 1, 5);
}

void TestReceivables::cleanup()
{
    delete m_db;
    delete m_set;
}

void TestReceivables::stock(int cust, int goods, double prevQty, double prevMny, double incQty, double incMny, double soldQty,
                            double soldMny)
{
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO GoodsInCusts(CustID, GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, "
                                      "Sold, SoldMny) VALUES (?,?,?,?,?,?,?,?)"),
                       {cust, goods, prevQty, prevMny, incQty, incMny, soldQty, soldMny}));
}

QList<qint64> TestReceivables::column(Dataset &ds, const QString &field)
{
    QList<qint64> out;
    for (int r = 0; r < ds.rowCount(); ++r)
        out << ds.value(r, ds.fieldIndex(field)).toLongLong();
    return out;
}

void TestReceivables::listsFollowAmountsAndQuantities_data()
{
    QTest::addColumn<int>("cust");
    QTest::addColumn<bool>("owes");          // listed in qSumDue
    QTest::addColumn<double>("amount");      // its smny there
    QTest::addColumn<QList<qint64>>("goods"); // its lines in qCustsDue
    QTest::newRow("zero total, lines with quantity") << 1 << false << 0.0 << QList<qint64>{1, 2};
    QTest::newRow("zero quantity, amount open") << 2 << true << 10.0 << QList<qint64>{};
    QTest::newRow("line without unit left out") << 3 << true << 38.0 << QList<qint64>{1};
    QTest::newRow("nothing left") << 4 << false << 0.0 << QList<qint64>{};
}

void TestReceivables::listsFollowAmountsAndQuantities()
{
    QFETCH(int, cust);
    QFETCH(bool, owes);
    QFETCH(double, amount);
    QFETCH(QList<qint64>, goods);
    Receivables r(*m_db);
    QVERIFY(r.open().ok());
    QCOMPARE(column(*r.qSumDue, QStringLiteral("CustID")), (QList<qint64>{2, 3}));
    QCOMPARE(r.qSumDue->locate(QStringLiteral("CustID"), cust), owes);
    if (owes) {
        QCOMPARE(r.qSumDue->value(QStringLiteral("smny")).toDouble(), amount);
        QCOMPARE(r.qSumDue->value(QStringLiteral("CustName")).toString(), QStringLiteral("客户%1").arg(cust));
    }
    QList<qint64> lines;
    for (int row = 0; row < r.qCustsDue->rowCount(); ++row) {
        if (r.qCustsDue->value(row, r.qCustsDue->fieldIndex(QStringLiteral("CustID"))).toInt() == cust)
            lines << r.qCustsDue->value(row, r.qCustsDue->fieldIndex(QStringLiteral("GoodID"))).toLongLong();
    }
    QCOMPARE(lines, goods);
}

void TestReceivables::filterAndFind()
{
    Receivables r(*m_db);
    QVERIFY(r.open().ok());
    QCOMPARE(r.qCustsDue->rowCount(), 3);
    QCOMPARE(r.qCustsDue->fieldByName(QStringLiteral("OnHandMny")).displayText(), QStringLiteral("10.00"));

    QVERIFY(r.findCustomer(3));
    QVERIFY(r.filterDetails(true).ok());
    QCOMPARE(column(*r.qCustsDue, QStringLiteral("GoodID")), (QList<qint64>{1}));
    QCOMPARE(r.qCustsDue->value(QStringLiteral("OnHand")).toDouble(), 3.0);
    QCOMPARE(r.qCustsDue->value(QStringLiteral("Unit")).toString(), QStringLiteral("个"));

    // A customer without receivables: the lists stay unfiltered.
    QVERIFY(!r.findCustomer(1));
    QVERIFY(!r.qCustsDue->isFiltered());
    QCOMPARE(r.qCustsDue->rowCount(), 3);
    QCOMPARE(Receivables::noReceivablesText(), QStringLiteral("客户无应收款。"));

    // Reading again shows what changed since.
    stock(1, 3, 0, 0, 1, 1, 0, 0);
    QCOMPARE(r.qSumDue->rowCount(), 2);
    QVERIFY(r.open().ok());
    QCOMPARE(column(*r.qSumDue, QStringLiteral("CustID")), (QList<qint64>{1, 2, 3}));
}

QTEST_GUILESS_MAIN(TestReceivables)
#include "test_receivables.moc"
