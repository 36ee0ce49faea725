// The goods and stock statements on a small account set: each statement's text export
// compared whole with its expected file, and the figures the statements must agree on.
#include "core/db/database.h"
#include "core/reports/reportlayout.h"
#include "core/reports/stockreports.h"
#include "core/reports/textexport.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace hemu;
using namespace hemu::reports;
using hemu::test::TempAccountSet;

namespace {

/// Two categories and an item of an unknown one; an idle item; an item held at customers
/// only; a long name; a negative closing; two customers holding one item.
void fillFixture(Database &db)
{
    const QStringList sql{
        "INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '饮料'), (2, '食品')",
        "INSERT INTO Units (UnitID, Unit) VALUES (1, '箱'), (2, '个')",
        "INSERT INTO Customers (CustID, CustName) VALUES (1, '甲商店'), (2, '乙超市')",
        "INSERT INTO Goods (GoodID, Description, CataID, UnitID, HardOrder, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny,"
        " CustHandInc, CustHandIncMny, PrevOnCustHand, PrevOnCustHandMny, Sold, SoldMny) VALUES"
        " (1, '矿泉水 550ml', 1, 1, 2, 10, 100, 5, 50, 3, 30, 0, 0, 2, 20),"
        " (2, '纯净水', 1, 2, 1, 0, 0, 0, 0, 0, 0, 5, 25, 0, 0),"
        " (3, '闲置品', 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),"
        " (4, '特别长的品名型号用来检验换行是否让这一行变高', 2, 2, 1, 0, 0, 0.5, 6, 3, 36, 0, 0, 3, 36),"
        " (5, '无类别品', 9, 99, 1, 0, 0, 1.25, 10, 0, 0, 0, 0, 0, 0)",
        "INSERT INTO GoodsInCusts (GoodID, CustID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) VALUES"
        " (1, 1, 1, 10, 2, 20, 1, 10), (1, 2, 0, 0, 1, 10, 1, 10), (2, 1, 5, 25, 0, 0, 0, 0), (4, 2, 0, 0, 0, 0, 0, 0),"
        " (4, 1, 0, 0, 3, 36, 3, 36)",
    };
    for (const QString &s : sql)
        QVERIFY2(db.exec(s), qPrintable(db.lastError().text()));
}

const QHash<QString, QVariant> kVariables = reportVariables(QStringLiteral("[制表:测试员,权限:管理员,时间:2026/3/2 10:00:00]"),
                                                            QStringLiteral("2026/3/2"));

} // namespace

class TestStockReports : public QObject
{
    Q_OBJECT

    TempAccountSet m_set;
    Database m_db;

    QString exportText(StockReport report, const GoodsSelection &selection)
    {
        const ReportDefinition def = stockReportDefinition(report, m_db);
        const auto rows = goodsRows(m_db, selection);
        const PageModel pages = ReportLayout::run(def, *rows, kVariables);
        return textexport::toText(pages);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_db.open(m_set.path()));
        fillFixture(m_db);
    }

    void wholeText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("category");
        for (const char *name : {"book-stock", "physical-stock", "main-store", "goods-list"}) {
            QTest::addRow("%s all", name) << name << "all";
            QTest::addRow("%s category 1", name) << name << "1";
        }
    }

    /// The text export of each statement, compared whole (HEMU_UPDATE_EXPECTED=1 rewrites them).
    void wholeText()
    {
        QFETCH(QString, name);
        QFETCH(QString, category);
        const StockReport report = *stockReportFromName(name);
        GoodsSelection selection;
        selection.skipIdle = report != StockReport::GoodsList;
        if (category != QLatin1String("all"))
            selection.category = category.toLongLong();
        const QString text = exportText(report, selection);
        const QString file = QStringLiteral(HEMU_EXPECTED_DIR "/%1-%2.txt").arg(name, category);
        if (qEnvironmentVariableIsSet("HEMU_UPDATE_EXPECTED"))
            hemu::test::writeBytes(file, text.toUtf8());
        QCOMPARE(text, QString::fromUtf8(hemu::test::fileBytes(file)));
    }

    void emptySelection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("mustShow");
        QTest::newRow("book stock: no pages") << "book-stock" << 0 << QString();
        QTest::newRow("main store: no pages") << "main-store" << 0 << QString();
        QTest::newRow("physical stock: headings and total") << "physical-stock" << 1 << "总合计：";
        QTest::newRow("goods list: headings and totals") << "goods-list" << 1 << "总计金额:";
    }

    /// A category without goods: the movement statements have no pages, the others print
    /// their headings, summary and page footer.
    void emptySelection()
    {
        QFETCH(QString, name);
        QFETCH(int, pages);
        QFETCH(QString, mustShow);
        const StockReport report = *stockReportFromName(name);
        const ReportDefinition def = stockReportDefinition(report, m_db);
        const auto rows = goodsRows(m_db, {77, true});
        const PageModel model = ReportLayout::run(def, *rows, kVariables);
        QCOMPARE(model.pages.size(), pages);
        const QString text = textexport::toText(model);
        if (pages == 0) {
            QVERIFY(text.isEmpty());
            return;
        }
        QVERIFY(text.contains(def.title));
        QVERIFY(text.contains(mustShow));
        QVERIFY(!text.contains(QStringLiteral("本类合计")));
    }

    /// Figures of single goods lines, read from the text: customers' opening stock counts in
    /// the book stock; a delivery leaves the main store; a negative closing keeps its sign.
    void figures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("figures");
        // 纯净水: only 5 held at customers at the start (amount 25).
        QTest::newRow("book: customer opening") << "book-stock" << "纯净水" << QStringList{"5", "25", "5", "25"};
        // 矿泉水: 10+0 open, +5 in, 2 sold: 13, amounts 100+50-20.
        QTest::newRow("book: movement") << "book-stock" << "矿泉水 550ml"
                                        << QStringList{"10", "100", "5", "50", "2", "20", "13", "130"};
        // Main store: 3 delivered out, the customers' sale does not count.
        QTest::newRow("main: delivery out") << "main-store" << "矿泉水 550ml"
                                            << QStringList{"10", "100", "5", "50", "3", "30", "12", "120"};
        // Physical: 结存= 13 is 主库 12 (10 + 5 - 3 delivered) plus + 客户 1 (3 delivered - 2 sold).
        QTest::newRow("physical: main plus customers") << "physical-stock" << "矿泉水 550ml"
                                                       << QStringList{"10.0", "5.0", "2.0", "13.0", "12.0", "1.0"};
        QTest::newRow("physical: zeros blank") << "physical-stock" << "无类别品" << QStringList{"1.25", "1.25", "1.25"};
        // 0.5 in, 3 sold: closing -2.5 (amount 6 - 36).
        QTest::newRow("book: negative closing") << "book-stock" << "特别长"
                                                << QStringList{"0.5", "6", "3", "36", "-2.5", "-30"};
    }

    void figures()
    {
        QFETCH(QString, name);
        QFETCH(QString, item);
        QFETCH(QStringList, figures);
        const QString text = exportText(*stockReportFromName(name), {});
        QString found;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (line.trimmed().startsWith(item))
                found = line;
        }
        QVERIFY2(!found.isEmpty(), qPrintable(item));
        const QStringList tokens = found.simplified().split(QLatin1Char(' '));
        QCOMPARE(tokens.mid(tokens.size() - figures.size()), figures);
    }

    /// An item held by two customers prints two customer lines under it, one held by none
    /// prints none; the idle customer row prints nothing.
    void customerLines()
    {
        const QStringList lines = exportText(StockReport::PhysicalStock, {}).split(QLatin1Char('\n'));
        const int water = lines.indexOf(QRegularExpression(QStringLiteral("^\\s*矿泉水.*")));
        QVERIFY(water >= 0);
        QVERIFY(lines.at(water + 1).contains(QStringLiteral("甲商店")));
        QVERIFY(lines.at(water + 2).contains(QStringLiteral("乙超市")));
        QVERIFY(!lines.at(water + 3).contains(QStringLiteral("商店")) && !lines.at(water + 3).contains(QStringLiteral("超市")));
        // The category of 特别长… holds one customer line (甲商店), not the idle 乙超市 row.
        const int longItem = lines.indexOf(QRegularExpression(QStringLiteral("^\\s*特别长.*")));
        QVERIFY(longItem >= 0);
        QCOMPARE(lines.mid(longItem).filter(QStringLiteral("乙超市")).size(), 0);
    }

    /// Each category total covers its own items only; the grand opening amount is the sum of
    /// the category opening amounts.
    void categoryTotals()
    {
        const QStringList lines = exportText(StockReport::BookStock, {}).split(QLatin1Char('\n'));
        const QStringList totals = lines.filter(QStringLiteral("类别合计："));
        QCOMPARE(totals.size(), 3); // 饮料, 食品 and the item of the unknown category
        // 饮料: openings 10+5 = 15, amounts 100+25 = 125.
        QCOMPARE(totals.at(0).simplified().split(QLatin1Char(' ')).mid(1, 2), (QStringList{"15", "125"}));
        // 食品 has no opening: its total starts from zero again and shows the in-figures first.
        QCOMPARE(totals.at(1).simplified().split(QLatin1Char(' ')).mid(1, 2), (QStringList{"0.5", "6"}));
        const QString grand = lines.filter(QStringLiteral("总计金额：")).value(0).simplified();
        QCOMPARE(grand.split(QLatin1Char(' ')).mid(1), (QStringList{"125", "66", "56", "135"}));
    }

    /// hemu-cli writes the statement as a PDF with its Chinese title and figures as text.
    void pdfThroughCli()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString out = m_set.file(QStringLiteral("实物盘存表.pdf"));
        const auto run = hemu::test::runCli({QStringLiteral("report"), m_set.path(), QStringLiteral("physical-stock"),
                                             QStringLiteral("--out"), out});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QProcess p;
        p.start(pdftotext, {QStringLiteral("-layout"), out, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(60000));
        // The CJK fonts map some glyphs to both an ideograph and its Kangxi radical (水 and
        // ⽔); the PDF's text layer may name either, and compatibility folding makes them one.
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
        QVERIFY2(text.contains(QStringLiteral("实物盘存表")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("矿泉水 550ml")));
        QVERIFY(text.contains(QStringLiteral("甲商店")));
        QVERIFY(text.contains(QStringLiteral("13.0")));
        QVERIFY(text.contains(QStringLiteral("总合计")));
    }

    void demoSetAgrees_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("plus");
        QTest::addColumn<QString>("inColumn");
        QTest::addColumn<QString>("outColumn");
        QTest::newRow("book stock") << "book-stock" << QStringList{"PrevOnHand", "PrevOnCustHand"}
                                    << "HandInc" << "Sold";
        QTest::newRow("main store") << "main-store" << QStringList{"PrevOnHand"} << "HandInc"
                                    << "CustHandInc";
    }

    /// On the demonstration set, every goods line of the movement statements written by
    /// hemu-cli shows its item's counters: opening, in, out and closing, quantity and amount.
    void demoSetAgrees()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, plus);
        QFETCH(QString, inColumn);
        QFETCH(QString, outColumn);
        TempAccountSet set;
        const QString demo = set.file(QStringLiteral("demo.xb"));
        QCOMPARE(hemu::test::runCli({QStringLiteral("demo"), demo}).code, 0);
        const QString out = set.file(QStringLiteral("report.txt"));
        const auto run = hemu::test::runCli({QStringLiteral("report"), demo, name, QStringLiteral("--out"), out});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        const QStringList lines = QString::fromUtf8(hemu::test::fileBytes(out)).split(QLatin1Char('\n'));

        Database db;
        QVERIFY(db.open(demo));
        const hemu::NumberFormat mask(QStringLiteral("0.##;-0.##;#.##"));
        QSqlQuery q = db.query(QStringLiteral("SELECT g.*, u.Unit FROM Goods g LEFT JOIN Units u ON u.UnitID = g.UnitID"));
        QVERIFY(q.exec());
        int checked = 0;
        while (q.next()) {
            const auto v = [&](const QString &column) { return q.value(column).toDouble(); };
            const auto total = [&](const QString &suffix) {
                double t = 0;
                for (const QString &c : plus)
                    t += v(c + suffix);
                return t;
            };
            const double open = total({}), openMny = total(QStringLiteral("Mny"));
            const QList<double> figures{open, openMny, v(inColumn), v(inColumn + "Mny"), v(outColumn), v(outColumn + "Mny"),
                                        open + v(inColumn) - v(outColumn),
                                        openMny + v(inColumn + "Mny") - v(outColumn + "Mny")};
            QStringList expected;
            if (!q.value(QStringLiteral("Unit")).toString().isEmpty())
                expected << q.value(QStringLiteral("Unit")).toString();
            for (double f : figures) {
                if (!mask.format(f).isEmpty())
                    expected << mask.format(f);
            }
            const QString item = q.value(QStringLiteral("Description")).toString();
            const QStringList found = lines.filter(QRegularExpression(QStringLiteral("^\\s*") + QRegularExpression::escape(item) + "\\s"));
            const bool idle = v("PrevOnHand") == 0 && v("PrevOnCustHand") == 0 && v("HandInc") == 0 && v("CustHandInc") == 0
                && v("Sold") == 0;
            QCOMPARE(found.size(), idle ? 0 : 1);
            if (idle)
                continue;
            QCOMPARE(found.first().mid(found.first().indexOf(item) + item.size()).simplified().split(QLatin1Char(' ')), expected);
            ++checked;
        }
        QVERIFY(checked > 10);
    }

    /// The text file hemu-cli writes is the text export of the same statement.
    void textThroughCli()
    {
        const QString out = m_set.file(QStringLiteral("book.txt"));
        const auto run = hemu::test::runCli({QStringLiteral("report"), m_set.path(), QStringLiteral("book-stock"),
                                             QStringLiteral("--category"), QStringLiteral("1"), QStringLiteral("--out"), out});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        const QString text = QString::fromUtf8(hemu::test::fileBytes(out));
        QVERIFY(text.contains(QStringLiteral("矿泉水 550ml")));
        QVERIFY(!text.contains(QStringLiteral("特别长")));
        QVERIFY(!text.contains(QStringLiteral("闲置品")));
        const auto withEmpty = hemu::test::runCli({QStringLiteral("report"), m_set.path(), QStringLiteral("book-stock"),
                                                   QStringLiteral("--with-empty"), QStringLiteral("--out"), out});
        QCOMPARE(withEmpty.code, 0);
        QVERIFY(QString::fromUtf8(hemu::test::fileBytes(out)).contains(QStringLiteral("闲置品")));
        const auto bad = hemu::test::runCli({QStringLiteral("report"), m_set.path(), QStringLiteral("book-stock"),
                                             QStringLiteral("--out"), m_set.file(QStringLiteral("a.doc"))});
        QCOMPARE(bad.code, 1);
    }
};

QTEST_GUILESS_MAIN(TestStockReports)
#include "test_stockreports.moc"
