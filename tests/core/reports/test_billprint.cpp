// Bill printing without a printer: the line-printed form laid out with the em measure, the
// page-printed bill through the report engine's text export, the bill read from a real set,
// and hemu-cli print-bill writing both as text and PDF.
#include "core/format/datetext.h"
#include "core/reports/billreports.h"
#include "core/reports/linelayout.h"
#include "core/reports/reportlayout.h"
#include "core/reports/textexport.h"
#include "support/books.h"
#include "support/clirun.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace hemu;
using namespace hemu::reports;

namespace {

const QString kStamp = QStringLiteral("[制表:管理员,权限:系统管理员,时间:2026-03-02 10:00:00]");

/// A bill of `rows` lines: line i (from 1) is goods i, quantity i at 1.5; line 5, when there
/// is one, is one piece at 1234.5.
PrintedBill billOf(BillKind kind, int rows, const QString &remark = QStringLiteral("加急"))
{
    PrintedBill bill;
    bill.kind = kind;
    bill.company = QStringLiteral("禾木商贸");
    bill.counterpart = QStringLiteral("东风商店");
    bill.tabDate = QStringLiteral("2004-05-09");
    bill.bookId = QStringLiteral("RK-2004-5-9");
    bill.tabId = 17;
    bill.remark = remark;
    for (int i = 1; i <= rows; ++i) {
        PrintedBillLine line{QString::number(i), QStringLiteral("货品%1").arg(i), QStringLiteral("个"), double(i), 1.5};
        if (i == 5)
            line.qty = 1, line.price = 1234.5;
        bill.lines << line;
        bill.sumMoney += line.amount();
    }
    return bill;
}

/// The texts drawn at line `line` of `page`, left to right.
QStringList textsAt(const LinePage &page, int line)
{
    QList<LineText> at;
    for (const LineText &t : page.texts)
        if (t.line == line)
            at << t;
    std::sort(at.begin(), at.end(), [](const LineText &a, const LineText &b) { return a.x < b.x; });
    QStringList texts;
    for (const LineText &t : at)
        texts << t.text;
    return texts;
}

const LineText *find(const LinePage &page, const QString &text)
{
    for (const LineText &t : page.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

QString pageText(const PrintedBill &bill)
{
    const ReportDefinition def = billReportDefinition(bill);
    const auto rows = billRows(bill);
    return textexport::toText(ReportLayout::run(def, *rows, billVariables(bill, kStamp, QStringLiteral("2026/3/2"))));
}

} // namespace

class TestBillPrint : public QObject
{
    Q_OBJECT

private slots:
    void lineLayoutOfSeventeenLines()
    {
        const EmLineMetrics metrics(180);
        const PrintedBill bill = billOf(BillKind::StockIn, 17);
        const QList<LinePage> pages = lineprint::layout(bill, kStamp, metrics);
        QCOMPARE(pages.size(), 3);

        const LinePage &first = pages.at(0);
        QCOMPARE(textsAt(first, 1), QStringList{QStringLiteral("禾木商贸入库单")});
        QCOMPARE(find(first, QStringLiteral("禾木商贸入库单"))->x, 400.0);
        QCOMPARE(find(first, QStringLiteral("禾木商贸入库单"))->points, 14.0);
        QCOMPARE(textsAt(first, 2), QStringList());
        QCOMPARE(textsAt(first, 3), QStringList{lineprint::separator()});
        QCOMPARE(lineprint::separator().size(), 105);
        QCOMPARE(textsAt(first, 4), (QStringList{QStringLiteral("供货方:东风商店"), QStringLiteral("开单日期:2004-05-09"),
                                                 QStringLiteral("单号:RK-2004-5-9-17")}));
        QCOMPARE(textsAt(first, 5), QStringList{QStringLiteral("备注:加急")});
        QCOMPARE(textsAt(first, 7), (QStringList{"代码", "品名型号", "单位", "数量", "单价", "金额", "器号"}));
        QCOMPARE(textsAt(first, 9), (QStringList{"1", "货品1", "个", "1.00", "1.50", "1.50"}));
        QCOMPARE(textsAt(first, 13), (QStringList{"5", "货品5", "个", "1.00", "1234.50", "1234.50"}));
        QCOMPARE(textsAt(first, 17), QStringList{"本页金额:"} + QStringList{lineprint::number(1.5 * (1 + 2 + 3 + 4 + 6 + 7 + 8) + 1234.5)});
        QCOMPARE(textsAt(first, 18), QStringList{lineprint::separator()});
        QCOMPARE(textsAt(first, 19), (QStringList{kStamp, "经办人:", "收货人:", "第1页,共3页"}));
        QCOMPARE(textsAt(pages.at(1), 19).last(), QStringLiteral("第2页,共3页"));

        // The last page: one row, the bill's own total under 金额, the counter flush with the rule.
        const LinePage &last = pages.at(2);
        QCOMPARE(textsAt(last, 9), (QStringList{"17", "货品17", "个", "17.00", "1.50", "25.50"}));
        QCOMPARE(textsAt(last, 10), (QStringList{"合计金额:", lineprint::number(bill.sumMoney)}));
        QCOMPARE(textsAt(last, 12).last(), QStringLiteral("第3页,共3页"));
        const LineText *counter = find(last, QStringLiteral("第3页,共3页"));
        QCOMPARE(counter->x + metrics.width(counter->text, 10), 1 + metrics.width(lineprint::separator(), 10));

        // Figures end where their headings end; y is the line times the font's line height.
        const auto headingEnd = [&](const QString &heading) {
            const LineText *h = find(first, heading);
            return h->x + metrics.width(h->text, 10);
        };
        for (const LineText &t : first.texts) {
            if (t.line == 13 && t.x > 600)
                QVERIFY(std::abs(t.x + metrics.width(t.text, 10) - headingEnd(t.text == "1.00" ? "数量" : t.x < 1000 ? "单价" : "金额")) < 1e-9);
            QCOMPARE(t.y, t.line * metrics.height(t.points));
        }
        QVERIFY(find(first, QStringLiteral("1234.50")));
    }

    void pageCounts_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("lastTotal");
        QTest::newRow("none") << 0 << 0 << QString();
        QTest::newRow("one") << 1 << 1 << "合计金额:";
        QTest::newRow("eight") << 8 << 1 << "合计金额:";
        QTest::newRow("nine") << 9 << 2 << "合计金额:";
        QTest::newRow("seventeen") << 17 << 3 << "合计金额:";
    }

    void pageCounts()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        QFETCH(QString, lastTotal);
        const QList<LinePage> laid = lineprint::layout(billOf(BillKind::Delivery, rows), kStamp, EmLineMetrics());
        QCOMPARE(laid.size(), pages);
        QCOMPARE(lineprint::pageCount(rows), pages);
        for (int p = 0; p < laid.size(); ++p) {
            const int onPage = std::min(8, rows - 8 * p);
            QCOMPARE(textsAt(laid.at(p), 9 + onPage).first(), p + 1 == pages ? lastTotal : QStringLiteral("本页金额:"));
        }
        if (rows == 9)
            QCOMPARE(textsAt(laid.at(0), 17).last(), lineprint::number(1.5 * (1 + 2 + 3 + 4 + 6 + 7 + 8) + 1234.5));
    }

    void counterpartsAndRemark_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("lineParty");
        QTest::addColumn<QString>("lineRemark");
        QTest::addColumn<QString>("pageParty");
        QTest::newRow("stock-in") << 1 << "加急" << "供货方:东风商店" << "备注:加急" << "供货方:东风商店";
        QTest::newRow("delivery") << 2 << "" << "收货方:东风商店" << " " << "客户名:东风商店";
        QTest::newRow("receipt, blank remark") << 3 << "   " << "缴款方:东风商店" << " " << "客户名:东风商店";
    }

    void counterpartsAndRemark()
    {
        QFETCH(int, kind);
        QFETCH(QString, remark);
        QFETCH(QString, lineParty);
        QFETCH(QString, lineRemark);
        QFETCH(QString, pageParty);
        const PrintedBill bill = billOf(BillKind(kind), 2, remark);
        const LinePage page = lineprint::layout(bill, kStamp, EmLineMetrics()).first();
        QCOMPARE(textsAt(page, 4).first(), lineParty);
        QCOMPARE(textsAt(page, 5), QStringList{lineRemark});
        const QString text = pageText(bill);
        QVERIFY2(text.contains(pageParty), qPrintable(text));
        QVERIFY(text.contains(bill.title()));
        QVERIFY(text.contains(QStringLiteral("单号:RK-2004-5-9-17")));
        QVERIFY(text.contains(remark.trimmed().isEmpty() ? QRegularExpression(QStringLiteral("备注:\\s*\n"))
                                                         : QRegularExpression(QStringLiteral("备注:加急"))));
    }

    void numbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1234.5") << 1234.5 << "1234.50";
        QTest::newRow("2") << 2.0 << "2.00";
        QTest::newRow("7") << 2 * 3.5 << "7.00";
        QTest::newRow("no thousands separator") << 1234567.891 << "1234567.89";
        QTest::newRow("negative") << -3.5 << "-3.50";
        QTest::newRow("tiny negative") << -0.001 << "0.00";
    }

    void numbers()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(lineprint::number(value), text);
    }

    void pageReportHeadings_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("estimate");
        QTest::addColumn<QString>("total");
        QTest::newRow("empty") << 0 << "共0页" << "0.0";
        QTest::newRow("eleven") << 11 << "共1页" << "";
        QTest::newRow("twelve") << 12 << "共2页" << "";
    }

    void pageReportHeadings()
    {
        QFETCH(int, rows);
        QFETCH(QString, estimate);
        QFETCH(QString, total);
        const PrintedBill bill = billOf(BillKind::StockIn, rows);
        const ReportDefinition def = billReportDefinition(bill);
        const auto source = billRows(bill);
        const PageModel model = ReportLayout::run(def, *source, billVariables(bill, kStamp, QStringLiteral("2026/3/2")));
        QVERIFY(!model.pages.isEmpty());
        QCOMPARE(model.paperWidth, 210.0);
        QCOMPARE(model.paperHeight, 94.0);
        const QString first = textexport::pageLines(model, model.pages.first()).join(QLatin1Char('\n'));
        QVERIFY2(first.contains(estimate), qPrintable(first));
        QVERIFY(first.contains(QStringLiteral("第1页")));
        QVERIFY(first.contains(kStamp));
        QVERIFY(first.contains(QStringLiteral("经办人:")));
        const QString all = textexport::toText(model);
        QVERIFY(all.contains(QStringLiteral("合计金额：")));
        if (!total.isEmpty())
            QVERIFY2(all.contains(QStringLiteral("合计金额：") + QString(1, QLatin1Char(' '))) || all.contains(total), qPrintable(all));
        for (int i = 1; i <= rows; ++i)
            QVERIFY(all.contains(QStringLiteral("货品%1").arg(i)));
        // Nothing runs below the bottom margin.
        for (const Page &page : model.pages)
            for (const PageItem &item : page.items)
                QVERIFY(item.y + (item.kind == PageItem::Text ? item.height : item.height) <= 94 - 8 + 1e-6);
    }

    void readsTheStoredBill()
    {
        test::Books books(20);
        QList<test::Books::Line> lines;
        for (int i = 1; i <= 3; ++i)
            lines << test::Books::Line{i, double(i), 2.5};
        const int delivery = books.bill(BillKind::Delivery, 2, lines, QStringLiteral("2004-05-09"));
        const int stockIn = books.bill(BillKind::StockIn, 3, {{4, 2, 3.5}});
        QVERIFY(books.db().exec(QStringLiteral("UPDATE UserInfo SET Name = '禾木商贸'")));
        QVERIFY(books.db().exec(QStringLiteral("UPDATE DiaoBoDan SET Remark = '下午送到' WHERE TabID = ?"), {delivery}));

        QString error;
        const auto bill = readPrintedBill(books.db(), BillKind::Delivery, delivery, &error);
        QVERIFY2(bill, qPrintable(error));
        QCOMPARE(bill->title(), QStringLiteral("禾木商贸送货单"));
        QCOMPARE(bill->lineCounterpart(), QStringLiteral("收货方:客户2"));
        QCOMPARE(bill->remark, QStringLiteral("下午送到"));
        QCOMPARE(bill->tabId, qint64(delivery));
        QCOMPARE(bill->lines.size(), 3);
        QCOMPARE(bill->lines.at(2).description, QStringLiteral("货品3"));
        QCOMPARE(bill->lines.at(2).unit, QStringLiteral("个"));
        QCOMPARE(bill->sumMoney, 15.0);
        QCOMPARE(bill->tabDate, printedBillDate(QStringLiteral("2004-05-09")));

        const auto in = readPrintedBill(books.db(), BillKind::StockIn, stockIn, &error);
        QVERIFY(in);
        QCOMPARE(in->pageCounterpart(), QStringLiteral("供货方:供货方3"));
        QCOMPARE(in->lines.size(), 1);

        // A bill that is not there, or of another kind, is an error, never an empty bill.
        QVERIFY(!readPrintedBill(books.db(), BillKind::Receipt, delivery, &error));
        QVERIFY(!error.isEmpty());
    }

    void storedDates_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("withTime");
        QTest::newRow("date") << "2004-05-09" << false;
        QTest::newRow("date and time") << "2004-05-09 14:03:07" << true;
    }

    void storedDates()
    {
        QFETCH(QString, stored);
        QFETCH(bool, withTime);
        const QString text = printedBillDate(stored);
        QVERIFY(text.startsWith(shortDateText(QDate(2004, 5, 9))));
        QCOMPARE(text.endsWith(QStringLiteral("14:03:07")), withTime);
        QCOMPARE(printedBillDate(QStringLiteral("不是日期")), QStringLiteral("不是日期"));
    }

    void printBillCommand()
    {
        test::Books books(20);
        QList<test::Books::Line> lines;
        for (int i = 1; i <= 9; ++i)
            lines << test::Books::Line{i, 1, i == 1 ? 1234.5 : 2};
        const int tabId = books.bill(BillKind::StockIn, 1, lines);
        QTemporaryDir dir;
        const QString set = books.set.path();

        const QString lineText = dir.filePath(QStringLiteral("line.txt"));
        auto run = test::runCli({QStringLiteral("print-bill"), set, QStringLiteral("1"), QString::number(tabId), QStringLiteral("--line"),
                                 QStringLiteral("--out"), lineText});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out.trimmed(), QStringLiteral("2 pages"));
        QFile f(lineText);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QCOMPARE(text.count(QLatin1Char('\f')), 1);
        QVERIFY(text.contains(QStringLiteral("1234.50")));
        QVERIFY(text.contains(QStringLiteral("第1页,共2页")) && text.contains(QStringLiteral("第2页,共2页")));
        QVERIFY(text.contains(QStringLiteral("本页金额:")) && text.contains(QStringLiteral("合计金额:")));

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        for (const bool line : {false, true}) {
            const QString pdf = dir.filePath(line ? QStringLiteral("line.pdf") : QStringLiteral("page.pdf"));
            QStringList args{QStringLiteral("print-bill"), set, QStringLiteral("1"), QString::number(tabId), QStringLiteral("--out"), pdf};
            if (line)
                args << QStringLiteral("--line");
            run = test::runCli(args);
            QCOMPARE(run.code, 0);
            QVERIFY(QFile(pdf).size() > 0);
            if (pdftotext.isEmpty())
                continue;
            QProcess p;
            p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
            QVERIFY(p.waitForFinished(60000));
            // The CJK fonts map some characters to their radical forms: compare the plain forms.
            const QString read = QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
            QVERIFY2(read.contains(QStringLiteral("入库单")), qPrintable(read));
            QVERIFY2(read.contains(QStringLiteral("供货方")), qPrintable(read));
            QVERIFY2(read.contains(line ? QStringLiteral("1234.50") : QStringLiteral("1234.5")), qPrintable(read));
            // 页 comes back as a radical form that has no plain decomposition.
            QVERIFY2(read.contains(line ? QStringLiteral(",共2") : QStringLiteral("共1")), qPrintable(read));
        }

        // Refusals: a kind, a bill and an output that make no sense; the file stays as it was.
        for (const QStringList &bad : {QStringList{"4", QString::number(tabId), "x.txt"}, QStringList{"1", "abc", "x.txt"},
                                       QStringList{"2", QString::number(tabId), "x.txt"}, QStringList{"1", QString::number(tabId), "x.doc"}}) {
            run = test::runCli({QStringLiteral("print-bill"), set, bad.at(0), bad.at(1), QStringLiteral("--out"), dir.filePath(bad.at(2))});
            QVERIFY2(run.code != 0, qPrintable(bad.join(' ')));
            QVERIFY(!run.err.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestBillPrint)
#include "test_billprint.moc"
