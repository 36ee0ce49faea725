// Master data read from CSV and XLSX files and imported through the master rules.
#include "core/dataset/dataset.h"
#include "core/import/importtable.h"
#include "core/import/masterimport.h"
#include "support/books.h"

#include <QStringEncoder>
#include <QtTest>
#include <sqlite3.h>
#include <xlsxwriter.h>

using namespace hemu;
using test::Books;

namespace {

/// 1,000 goods rows, three of them bad: rows 101, 501 and 901 of the file (the header is 1).
QList<QStringList> goodsRows()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 1000; ++i) {
        QStringList r{QStringLiteral("导入品%1").arg(i, 4, 10, QLatin1Char('0')), "饮料", "个", "2.5", "3.8",
                      QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0'))};
        if (i == 100)
            r[1] = "无此类别";
        if (i == 500)
            r[3] = "abc";
        if (i == 900)
            r[0] = "导入品0001";
        rows << r;
    }
    return rows;
}

const QStringList goodsHeader{"品名型号", "类别", "单位", "购入价", "售价", "条形码"};

QByteArray goodsCsv()
{
    QByteArray csv = goodsHeader.join(',').toUtf8() + "\r\n";
    for (const QStringList &r : goodsRows())
        csv += r.join(',').toUtf8() + "\r\n";
    return csv;
}

void writeGoodsXlsx(const QString &path)
{
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "产品");
    for (int c = 0; c < goodsHeader.size(); ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), goodsHeader[c].toUtf8().constData(), nullptr);
    const QList<QStringList> rows = goodsRows();
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            bool number = false;
            const double v = rows[r][c].toDouble(&number);
            // Prices and bar codes as numbers, the way a spreadsheet keeps them.
            if (number && c >= 3)
                worksheet_write_number(ws, lxw_row_t(r + 1), lxw_col_t(c), v, nullptr);
            else
                worksheet_write_string(ws, lxw_row_t(r + 1), lxw_col_t(c), rows[r][c].toUtf8().constData(), nullptr);
        }
    }
    QCOMPARE(int(workbook_close(wb)), int(LXW_NO_ERROR));
}

int commits = 0;
int countCommit(void *)
{
    ++commits;
    return 0;
}

} // namespace


class TestImport : public QObject
{
    Q_OBJECT
private slots:
    void csv_data();
    void csv();
    void xlsx_data();
    void xlsx();
    void mapping_data();
    void mapping();
    void goodsFromCsvAndXlsx_data();
    void goodsFromCsvAndXlsx();
    void openingBalancesAndOtherTables();
};

void TestImport::csv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("quotes, separators and line breaks in cells")
        << QByteArray("名称,备注\r\n\"甲,乙\",\"说\"\"好\"\"\"\r\n\"两\n行\",x\r\n\r\n丙, 空格 \r\n")
        << QStringList{"名称", "备注"} << QList<int>{2, 3, 6}
        << QList<QStringList>{{"甲,乙", "说\"好\""}, {"两\n行", "x"}, {"丙", "空格"}};
    QTest::newRow("byte-order mark, semicolons") << QByteArray("\xEF\xBB\xBF单位;代码\n个;1\n") << QStringList{"单位", "代码"}
                                                 << QList<int>{2} << QList<QStringList>{{"个", "1"}};
    QStringEncoder gb("GB18030");
    QTest::newRow("Chinese code page") << QByteArray(gb.encode(QStringLiteral("类别\t备注\n饮料\t冷饮\n")))
                                       << QStringList{"类别", "备注"} << QList<int>{2} << QList<QStringList>{{"饮料", "冷饮"}};
    QTest::newRow("last line without an end") << QByteArray("a,b\n1,2") << QStringList{"a", "b"} << QList<int>{2}
                                              << QList<QStringList>{{"1", "2"}};
}

void TestImport::csv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, header);
    QFETCH(QList<int>, lines);
    QFETCH(QList<QStringList>, rows);
    ImportTable t;
    QString error;
    QVERIFY2(CsvReader::read(bytes, &t, &error), qPrintable(error));
    QCOMPARE(t.header, header);
    QCOMPARE(t.rows.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(t.rows[i].line, lines[i]);
        QCOMPARE(t.rows[i].cells, rows[i]);
    }
    // A quote never closed is an error with its line, never a silently shortened table.
    QVERIFY(!CsvReader::read("a\n\"open\n", &t, &error));
    QCOMPARE(error, QString("第 2 行的引号没有结束。"));
}

void TestImport::xlsx_data()
{
    QTest::addColumn<bool>("inlineStrings");
    QTest::newRow("shared strings") << false;
    QTest::newRow("inline strings") << true; // what streaming writers produce
}

void TestImport::xlsx()
{
    QFETCH(bool, inlineStrings);
    QTemporaryDir dir;
    const QString path = dir.filePath("book.xlsx");
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook *wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *first = workbook_add_worksheet(wb, "资料");
    workbook_add_worksheet(wb, "另一页"); // only the first sheet is read
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format *stamp = workbook_add_format(wb);
    format_set_num_format(stamp, "yyyy/m/d h:mm");
    lxw_format *money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    const char *header[] = {"名称", "数量", "日期", "停用", "", "时间"};
    for (int c = 0; c < 6; ++c) {
        if (*header[c])
            worksheet_write_string(first, 1, lxw_col_t(c), header[c], nullptr); // the header on row 2
    }
    worksheet_write_string(first, 2, 0, "甲 乙", nullptr);
    worksheet_write_number(first, 2, 1, 12.5, money);
    lxw_datetime day{2026, 3, 2, 0, 0, 0};
    worksheet_write_datetime(first, 2, 2, &day, date);
    worksheet_write_boolean(first, 2, 3, 1, nullptr);
    lxw_datetime at{2026, 12, 11, 8, 30, 0};
    worksheet_write_datetime(first, 2, 5, &at, stamp);
    // Row 5 (row 4 left empty): a big whole number and a formula's text result.
    worksheet_write_number(first, 4, 1, 6900000000017.0, nullptr);
    worksheet_write_formula_str(first, 4, 0, "=\"公\"&\"式\"", nullptr, "公式");
    QCOMPARE(int(workbook_close(wb)), int(LXW_NO_ERROR));

    ImportTable t;
    QString error;
    QVERIFY2(readImportFile(path, &t, &error), qPrintable(error));
    QCOMPARE(t.header, QStringList({"名称", "数量", "日期", "停用", "", "时间"}));
    QCOMPARE(t.rows.size(), 2);
    QCOMPARE(t.rows[0].line, 3);
    QCOMPARE(t.rows[0].cells, QStringList({"甲 乙", "12.5", "2026-03-02", "1", "", "2026-12-11 08:30:00"}));
    QCOMPARE(t.rows[1].line, 5);
    QCOMPARE(t.rows[1].cells, QStringList({"公式", "6900000000017"}));

    // Not a workbook at all.
    test::writeBytes(dir.filePath("bad.xlsx"), "not a zip");
    QVERIFY(!readImportFile(dir.filePath("bad.xlsx"), &t, &error));
    QCOMPARE(error, QString("bad.xlsx 不是 XLSX 工作簿。"));
}

void TestImport::mapping_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<QString>("error");
    // Goods fields: 0 代码, 1 品名型号, 2 条形码, 3 类别, 4 单位, 5 税率%, 6 购入价
    QTest::newRow("captions") << QStringList{"品名型号", "类别", "购入价"} << QList<int>{1, 3, 6} << "";
    QTest::newRow("column names, any case, and aliases")
        << QStringList{"description", "CATALOG", "产品代码", "备注"} << QList<int>{1, 3, 0, -1} << "";
    QTest::newRow("a field named twice takes the first column")
        << QStringList{"品名型号", "品名", "类别"} << QList<int>{1, -1, 3} << "";
    QTest::newRow("a required field missing") << QStringList{"品名型号", "单位"} << QList<int>{1, 4}
                                              << "缺少必需的列：类别。";
}

void TestImport::mapping()
{
    QFETCH(QStringList, header);
    QFETCH(QList<int>, expected);
    QFETCH(QString, error);
    Books books;
    MasterImport import(*books.base, ImportKind::Goods);
    QCOMPARE(import.autoMapping(header), expected);
    ImportTable t{header, {{2, QStringList(header.size(), "x")}}};
    const MasterImport::Outcome o = import.preview(t, expected);
    QCOMPARE(o.error, error);
    QCOMPARE(o.ok, error.isEmpty());
}

void TestImport::goodsFromCsvAndXlsx_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("csv") << "csv";
    QTest::newRow("xlsx") << "xlsx";
}

void TestImport::goodsFromCsvAndXlsx()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString path = dir.filePath("goods." + format);
    if (format == "csv")
        test::writeBytes(path, goodsCsv());
    else
        writeGoodsXlsx(path);
    ImportTable table;
    QString error;
    QVERIFY2(readImportFile(path, &table, &error), qPrintable(error));
    QCOMPARE(table.rows.size(), 1000);

    Books books;
    const int before = books.db().scalar("SELECT count(*) FROM Goods").toInt();
    MasterImport import(*books.base, ImportKind::Goods);
    const QList<int> mapping = import.autoMapping(table.header);
    QVERIFY(!mapping.contains(-1));

    // The check runs every row through the rules and writes nothing.
    sqlite3_commit_hook(books.db().handle(), countCommit, nullptr);
    commits = 0;
    const MasterImport::Outcome preview = import.preview(table, mapping);
    QVERIFY2(preview.ok, qPrintable(preview.error));
    QCOMPARE(commits, 0);
    QCOMPARE(preview.good, 997);
    QStringList said;
    for (const MasterImport::RowError &e : preview.errors)
        said << MasterImport::errorLine(e);
    QCOMPARE(said, QStringList({"第 101 行：类别“无此类别”不存在。", "第 501 行：“abc”不是有效的数值（字段“购入价”）。",
                                "第 901 行：品名型号“导入品0001”已经存在。"}));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Goods").toInt(), before);
    QCOMPARE(books.base->Goods->rowCount(), before);
    {
        Books other(books.set.path());
        QCOMPARE(other.db().scalar("SELECT count(*) FROM Goods").toInt(), before);
    }
    QVERIFY(books.prompter.texts().isEmpty()); // every message went to its row

    // The good rows in one transaction.
    const MasterImport::Outcome done = import.commit(table, mapping);
    QVERIFY(done.written);
    QCOMPARE(commits, 1);
    sqlite3_commit_hook(books.db().handle(), nullptr, nullptr);
    QCOMPARE(done.good, 997);
    QCOMPARE(done.errors.size(), 3);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Goods").toInt(), before + 997);
    QCOMPARE(books.base->Goods->rowCount(), before + 997);
    const QVariantList row = {books.db().scalar("SELECT CataID FROM Goods WHERE Description = '导入品0002'"),
                              books.db().scalar("SELECT UnitID FROM Goods WHERE Description = '导入品0002'"),
                              books.db().scalar("SELECT CostPrice FROM Goods WHERE Description = '导入品0002'"),
                              books.db().scalar("SELECT BarCode FROM Goods WHERE Description = '导入品0002'")};
    QCOMPARE(row, QVariantList({1, 1, 2.5, "6900000000002"}));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Goods WHERE Description IN ('导入品0100', '导入品0500')").toInt(), 0);
    // Codes are handed out as typing would: one after another, never twice.
    QCOMPARE(books.db().scalar("SELECT count(DISTINCT GoodID) FROM Goods").toInt(), before + 997);

    // The same file again: every row is now a duplicate, and nothing is written.
    const MasterImport::Outcome again = import.commit(table, mapping);
    QCOMPARE(again.good, 0);
    QCOMPARE(again.errors.size(), 1000);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM Goods").toInt(), before + 997);
}

void TestImport::openingBalancesAndOtherTables()
{
    Books books;
    struct Case
    {
        ImportKind kind;
        QStringList header;
        QList<QStringList> rows;
        QStringList errors;
        QString countSql;
        int count;
    };
    const QList<Case> cases{
        {ImportKind::Catalogs, {"类别", "备注"}, {{"食品", "干货"}, {"饮料", ""}, {"", "x"}},
         {"第 3 行：类别“饮料”已经存在。", "第 4 行：类别不能为空。"}, "SELECT count(*) FROM Catalogs", 2},
        {ImportKind::Units, {"代码", "单位"}, {{"2", "箱"}, {"1", "瓶"}, {"x", "包"}},
         {"第 3 行：代码重复，请重新录入。", "第 4 行：“x”不是有效的整数（字段“UnitID”）。"}, "SELECT count(*) FROM Units", 2},
        {ImportKind::Customers, {"客户名称", "地区", "登记日期"}, {{"新客户", "", "2026/3/2"}, {"客户1", "", ""}, {"另一客户", "华东", ""}},
         {"第 3 行：客户名称“客户1”已经存在。", "第 4 行：地区“华东”不存在。"}, "SELECT count(*) FROM Customers", 6},
        {ImportKind::OpeningBalances, {"代码", "期初数量", "期初金额"}, {{"1", "10", "25"}, {"99", "1", "1"}, {"2", "", "3"}},
         {"第 3 行：产品“99”不存在。", "第 4 行：期初数量不能为空。"}, "SELECT PrevOnHand * 100 + PrevOnHandMny FROM Goods WHERE GoodID = 1", 1025},
    };
    for (const Case &c : cases) {
        ImportTable t{c.header, {}};
        for (int i = 0; i < c.rows.size(); ++i)
            t.rows.append({i + 2, c.rows[i]});
        MasterImport import(*books.base, c.kind);
        const MasterImport::Outcome o = import.commit(t, import.autoMapping(c.header));
        QVERIFY2(o.written, qPrintable(o.error));
        QStringList said;
        for (const MasterImport::RowError &e : o.errors)
            said << MasterImport::errorLine(e);
        QCOMPARE(said, c.errors);
        QCOMPARE(books.db().scalar(c.countSql).toInt(), c.count);
    }
    QCOMPARE(books.db().scalar("SELECT RegDate FROM Customers WHERE CustName = '新客户'").toString(), QString("2026-03-02"));
}

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
