// The payables reports and the stocktaking sheet on a small account set, through the report
// engine's text export and page model.
#include "core/db/database.h"
#include "core/reports/accountreports.h"
#include "core/reports/reportlayout.h"
#include "core/reports/textexport.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;
using namespace hemu::reports;

namespace {

const QString kStamp = QStringLiteral("[制表:测试员,权限:管理员,时间:2026/3/2 10:00:00]");

/// Vendor 1: a bill of 100 invoiced 30, a bill of 50 invoiced 50, a bill of 20 without an
/// invoice; vendor 2: one bill of 40; vendor 3: no bill.
void fillPayables(Database &db)
{
    const QStringList sql{
        "INSERT INTO Vendors (VendorID, VendorName) VALUES (1, '红星工厂'), (2, '蓝天贸易'), (3, '东方厂')",
        "INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate, SumMoney, invoiceMny, KindID) VALUES"
        " (1, 'RK-1', 1, '2026-03-01', 100, 30, 1), (2, 'RK-2', 1, '2026-03-02', 50, 50, 1),"
        " (3, 'RK-3', 1, '2026-03-03', 20, NULL, 1), (4, 'RK-4', 2, '2026-03-04', 40, 0, 1)",
    };
    for (const QString &s : sql)
        QVERIFY2(db.exec(s), qPrintable(db.lastError().text()));
}

/// The text export's line holding `needle`.
QString lineWith(const QString &text, const QString &needle)
{
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.contains(needle))
            return line.simplified();
    return {};
}

} // namespace

class TestAccountReports : public QObject
{
    Q_OBJECT
private slots:
    void payablesDetail()
    {
        test::TempAccountSet set;
        Database db;
        QVERIFY(db.open(set.path()));
        fillPayables(db);
        const ReportDefinition def = payablesDetailDefinition();
        auto rows = payableBills(db, 1);
        const PageModel model = ReportLayout::run(def, *rows, payablesVariables(db, 1, kStamp, QStringLiteral("2026/3/2")));
        QVERIFY(rows->error().isEmpty());
        QCOMPARE(model.pages.size(), 1);
        const QString text = textexport::toText(model);
        QVERIFY(text.contains(QStringLiteral("应付款统计表")));
        QVERIFY2(lineWith(text, QStringLiteral("供货方：")).contains(QStringLiteral("供货方：红星工厂")), qPrintable(text));
        QVERIFY(lineWith(text, QStringLiteral("供货方：")).endsWith(QStringLiteral("总计应付款:170.00")));
        QVERIFY(text.contains(QStringLiteral("** 其中 **")));
        QCOMPARE(lineWith(text, QStringLiteral("单据日期")), QStringLiteral("单据日期 原始单据 单据ID 结清 应付款 已付款 未付款"));
        // 100 invoiced 30: X and 70.00 open; 50 invoiced 50: √ and nothing open; no invoice: open.
        QVERIFY2(lineWith(text, QStringLiteral("RK-1")).endsWith(QStringLiteral("1 X 100.00 30.00 70.00")), qPrintable(text));
        QVERIFY(lineWith(text, QStringLiteral("RK-2")).endsWith(QStringLiteral("2 √ 50.00 50.00")));
        QVERIFY(lineWith(text, QStringLiteral("RK-3")).endsWith(QStringLiteral("3 X 20.00 20.00")));
        QCOMPARE(lineWith(text, QStringLiteral("合计")), QStringLiteral("合计 170.00 80.00 90.00"));
        QVERIFY(text.contains(QStringLiteral("页1")));

        // A vendor without bills: headings and captions only, the zero totals print as nothing.
        rows = payableBills(db, 3);
        const QString empty = textexport::toText(ReportLayout::run(def, *rows, payablesVariables(db, 3, kStamp, {})));
        QCOMPARE(lineWith(empty, QStringLiteral("供货方：")), QStringLiteral("供货方：东方厂 总计应付款:"));
        QCOMPARE(lineWith(empty, QStringLiteral("合计")), QStringLiteral("合计"));
        QVERIFY(empty.contains(QStringLiteral("单据日期")));
    }

    void payablesTotalInTwoColumns()
    {
        test::TempAccountSet set;
        Database db;
        QVERIFY(db.open(set.path()));
        fillPayables(db);
        QStringList more;
        for (int v = 10; v < 150; ++v)
            more << QStringLiteral("(%1, '供方%1')").arg(v);
        QVERIFY(db.exec(QStringLiteral("INSERT INTO Vendors (VendorID, VendorName) VALUES ") + more.join(',')));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO RuKuDan (BookID, CustID, SumMoney, KindID) SELECT 'RK', VendorID, -1.25, 1 "
                                       "FROM Vendors WHERE VendorID >= 10")));
        const ReportDefinition def = payablesTotalDefinition();
        auto rows = vendorTotals(db);
        const PageModel model = ReportLayout::run(def, *rows, reportVariables(kStamp, QStringLiteral("2026/3/2")));
        const QString text = textexport::toText(model);
        QVERIFY(text.contains(QStringLiteral("进货结算表")));
        QVERIFY(text.contains(QStringLiteral("供货方名称")));
        QVERIFY2(lineWith(text, QStringLiteral("红星工厂")).startsWith(QStringLiteral("红星工厂 170.00")), qPrintable(lineWith(text, "红星工厂")));
        QVERIFY(text.contains(QStringLiteral("-1.25")));
        QVERIFY(!text.contains(QStringLiteral("东方厂"))); // no stock-in bill, no line
        QVERIFY(lineWith(text, QStringLiteral("总计金额：")).endsWith(QStringLiteral("35.00")));
        // The vendors run down the left column, then the right one, before a new page.
        const Page &first = model.pages.first();
        double leftBottom = 0;
        bool right = false;
        const double rightColumn = def.page.marginLeft + (210 - 30 - 1) / 2 + 1;
        for (const PageItem &item : first.items) {
            if (item.kind != PageItem::Text || !item.text.startsWith(QStringLiteral("供方")))
                continue;
            if (item.x >= rightColumn - 1e-6)
                right = true;
            else
                leftBottom = std::max(leftBottom, item.y);
        }
        QVERIFY(right);
        QVERIFY(leftBottom > 250);
        QVERIFY(model.pages.size() >= 2);
    }

    void stockCheckSheet()
    {
        test::TempAccountSet set;
        Database db;
        QVERIFY(db.open(set.path()));
        QStringList goods;
        for (int g = 1; g <= 70; ++g)
            goods << QStringLiteral("(%1, %2, 1, '货品%1', %3, 0, 0)").arg(g).arg(g <= 40 ? 1 : 2).arg(g == 5 ? 0 : g);
        QVERIFY(db.exec(QStringLiteral("INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '饮料'), (2, '食品')")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (1, '箱')")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO Goods (GoodID, CataID, UnitID, Description, PrevOnHand, HandInc, CustHandInc) VALUES ")
                        + goods.join(',')));
        QVERIFY(db.exec(QStringLiteral("UPDATE Goods SET CustHandInc = 8, PrevOnHand = 5 WHERE GoodID = 5")));
        const ReportDefinition def = stockCheckDefinition();
        QCOMPARE(def.page.paperWidth, 297.0);
        auto rows = goodsRows(db, GoodsSelection{{}, false});
        const PageModel model = ReportLayout::run(def, *rows, reportVariables(kStamp, QStringLiteral("2026/3/2")));
        const QString text = textexport::toText(model);
        QVERIFY(text.contains(QStringLiteral("盘点准备表")));
        QVERIFY(text.contains(QStringLiteral("日期2026/3/2")));
        QVERIFY(text.contains(QStringLiteral("饮料类")) && text.contains(QStringLiteral("食品类")));
        QVERIFY(lineWith(text, QStringLiteral("代码")).contains(QStringLiteral("代码 品名规格 单位 帐面数量 实际数量 帐实差")));
        QVERIFY2(lineWith(text, QStringLiteral("货品5 ")).contains(QStringLiteral("货品5 箱 -3.00")), qPrintable(lineWith(text, "货品5 ")));
        QVERIFY(text.contains(QStringLiteral("第1页")));
        // Down the left column, on in the right one.
        const double rightColumn = 10 + (277 - 0.2) / 2 + 0.2;
        bool inRight = false;
        for (const PageItem &item : model.pages.first().items)
            inRight = inRight || (item.kind == PageItem::Text && item.text.startsWith(QStringLiteral("货品")) && item.x >= rightColumn - 1e-6);
        QVERIFY(inRight);

        // Nothing to print: title, captions and page footer still print.
        QVERIFY(db.exec(QStringLiteral("DELETE FROM Goods")));
        rows = goodsRows(db, GoodsSelection{{}, false});
        const PageModel none = ReportLayout::run(def, *rows, reportVariables(kStamp, {}));
        QCOMPARE(none.pages.size(), 1);
        QVERIFY(textexport::toText(none).contains(QStringLiteral("帐实差")));
    }
};

QTEST_GUILESS_MAIN(TestAccountReports)
#include "test_accountreports.moc"
