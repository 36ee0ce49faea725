// The goods customers hold, as the receipt pickers list them, and the receipt line a pick
// makes: the whole quantity at the average value per unit.
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/masterdata/custholdings.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

namespace {

QList<QVariantList> rows(Dataset &ds, const QStringList &fields)
{
    QList<QVariantList> out;
    for (int row = 0; row < ds.rowCount(); ++row) {
        QVariantList values;
        for (const QString &f : fields)
            values << ds.value(row, ds.fieldIndex(f));
        out << values;
    }
    return out;
}

} // namespace

class TestCustHoldings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        test::execOn(set->path(),
                     {// 张三商店 holds 3 worth 30 of 101 (opening 1/10, delivered 4/40, paid 2/20) and nothing of 103.
                      "INSERT INTO GoodsInCusts (GoodID, CustID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) "
                      "VALUES (101, 1, 1, 10, 4, 40, 2, 20), (103, 1, 2, 6.5, 0, 0, 2, 6.5),"
                      // 李四超市's holdings add up to 0 in value: not listed although it holds goods.
                      " (104, 2, 5, 50, 0, 0, 0, 0), (105, 2, 0, 0, 1, -50, 0, 0),"
                      // 张家港百货 holds goods worth 12.",
                      " (105, 3, 0, 0, 2, 12, 0, 0)"});
        db = std::make_unique<Database>();
        QVERIFY(db->open(set->path()));
    }
    void cleanup()
    {
        db.reset();
        set.reset();
    }

    void customersWithValue();
    void goodsOfACustomer();
    void receiptLines();

private:
    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<Database> db;
};

void TestCustHoldings::customersWithValue()
{
    CustHoldings holdings(*db, CustHoldings::Lists::CustomersAndGoods);
    QVERIFY(holdings.openCustomers().ok());
    QCOMPARE(rows(*holdings.qSumDue, {"CustID", "CustName", "smny"}),
             (QList<QVariantList>{{1, QStringLiteral("张三商店"), 30.0}, {3, QStringLiteral("张家港百货"), 12.0}}));
    // The goods list follows the first customer; moving shows another's.
    QCOMPARE(rows(*holdings.qCustHasGoods, {"GoodID"}), (QList<QVariantList>{{101}, {103}}));
    holdings.qSumDue->next();
    QVERIFY(holdings.followCustomer().ok());
    QCOMPARE(rows(*holdings.qCustHasGoods, {"GoodID", "CustName", "qty", "Mny"}),
             (QList<QVariantList>{{105, QStringLiteral("张家港百货"), 2.0, 12.0}}));
}

void TestCustHoldings::goodsOfACustomer()
{
    CustHoldings holdings(*db, CustHoldings::Lists::GoodsOnly);
    QVERIFY(!holdings.qSumDue);
    QVERIFY(holdings.showGoodsOf(1).ok());
    // An item held in quantity 0 has no average.
    QCOMPARE(rows(*holdings.qCustHasGoods, {"GoodID", "Description", "qty", "Mny", "APrice"}),
             (QList<QVariantList>{{101, QStringLiteral("矿泉水"), 3.0, 30.0, 10.0}, {103, QStringLiteral("饼干'甜'"), 0.0, 0.0, 0.0}}));
    QCOMPARE(holdings.qCustHasGoods->visibleFields().size(), 5);
    QCOMPARE(holdings.qCustHasGoods->fields().first()->name(), QStringLiteral("GoodID"));
    QVERIFY(!CustHoldings::nothingHeld(*holdings.qCustHasGoods));
    holdings.qCustHasGoods->last();
    QVERIFY(CustHoldings::nothingHeld(*holdings.qCustHasGoods));
    QVERIFY(holdings.showGoodsOf(QVariant()).ok());
    QCOMPARE(holdings.qCustHasGoods->rowCount(), 0);
}

void TestCustHoldings::receiptLines()
{
    CustHoldings holdings(*db, CustHoldings::Lists::GoodsOnly);
    QVERIFY(holdings.showGoodsOf(1).ok());
    TableDataset lines(*db, QStringLiteral("ChuKuMx"), QStringLiteral("ChuKuMx"));
    QVERIFY(lines.open().ok());
    // Appended: 3 held worth 30 makes a line of 3 at 10.
    QVERIFY(CustHoldings::appendLine(lines, *holdings.qCustHasGoods).ok());
    QVERIFY(lines.setValue("TabID", 1).ok());
    QCOMPARE(lines.state(), Dataset::State::Insert);
    QCOMPARE(lines.value("GoodID"), QVariant(101));
    QCOMPARE(lines.value("Qty").toDouble(), 3.0);
    QCOMPARE(lines.value("Price").toDouble(), 10.0);
    QVERIFY(lines.post().ok());
    // Picked into the current line: goods, quantity and price replaced.
    holdings.qCustHasGoods->last();
    QVERIFY(CustHoldings::pickIntoLine(lines, *holdings.qCustHasGoods).ok());
    QCOMPARE(lines.state(), Dataset::State::Edit);
    QCOMPARE(lines.value("GoodID"), QVariant(103));
    QCOMPARE(lines.value("Qty").toDouble(), 0.0);
    QCOMPARE(CustHoldings::zeroQtyText(), QStringLiteral("数量为0，免选。"));
}

QTEST_GUILESS_MAIN(TestCustHoldings)
#include "test_custholdings.moc"
