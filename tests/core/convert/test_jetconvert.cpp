// Old account sets converted into new ones: tests/data/jet/sets/make_sets.py wrote the Jet 4
// files and, beside each, every table as the converted set must hold it. Conversion runs the
// real reader (hemu-jetread, named by HEMU_JETREAD) as a child process.
#include "core/bills/bookscheck.h"
#include "core/convert/convertedbooks.h"
#include "core/convert/jetconverter.h"
#include "core/convert/jetheader.h"
#include "core/convert/jetreadprocess.h"
#include "core/convert/stagingimport.h"
#include "core/convert/convertsummary.h"
#include "core/db/accountsetfiles.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/filechooser.h"
#include "core/shell/login.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <sqlite3.h>

using namespace hemu;

namespace {

const QString sets = QStringLiteral(HEMU_JET_SETS);

/// A value as the expected files write it: null, integer, string, {"real": BITS}, {"blob": BASE64}.
QJsonValue jsonValue(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL: return QJsonValue::Null;
    case SQLITE_INTEGER: return QJsonValue(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, i);
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        return QJsonObject{{"real", QString::fromLatin1(QByteArray::number(bits, 16).rightJustified(16, '0'))}};
    }
    case SQLITE_BLOB: {
        const QByteArray b(static_cast<const char *>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
        return QJsonObject{{"blob", QString::fromLatin1(b.toBase64())}};
    }
    default: return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
    }
}

QString rowKey(const QJsonArray &row)
{
    return QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact));
}

/// Every file in `dir`, hidden ones too: what a failed conversion must not leave.
QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// A copy of fixture `name` in `dir`.
QString copyOf(const QString &name, const QString &dir, const QString &as = {})
{
    const QString path = dir + QLatin1Char('/') + (as.isEmpty() ? name : as);
    QFile::copy(sets + QLatin1Char('/') + name, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

JetConverter::Result convert(const QString &oldPath, const QString &newPath)
{
    NullProgress quiet;
    return JetConverter(quiet).convert(oldPath, newPath);
}

} // namespace

class TestJetConvert : public QObject
{
    Q_OBJECT
private slots:
    void everyValueAsWritten();
    void keysAndSequences();
    void numbersStillReferredToAreNotReused();
    void passwordsWorkAtLogin();
    void booksCheckHoldsOnDemo();
    void wrongCounterShownAndRecalculated();
    void oddValuesTakenAndSaid();
    void refusedFilesLeaveNothing_data();
    void refusedFilesLeaveNothing();
    void convertingTwiceRefuses();
    void fileAppearingMeanwhileIsKept();
    void cliPrintsSummary();
};

void TestJetConvert::everyValueAsWritten()
{
    QTemporaryDir dir;
    const QString old = copyOf("demo.xb", dir.path());
    const QByteArray before = test::fileBytes(old);
    QVERIFY(JetHeader::isJet4(old));
    const QString target = JetConverter::convertedPath(old);
    QCOMPARE(target, dir.filePath("demo.hemu.xb"));
    const JetConverter::Result result = convert(old, target);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(test::fileBytes(old), before);
    QVERIFY(AccountSetFiles::isSoundAccountSet(target));
    QVERIFY(!JetHeader::isJet4(target));

    QFile file(sets + "/demo.xb.expected.json");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray tables = QJsonDocument::fromJson(file.readAll()).object().value("tables").toArray();
    QCOMPARE(tables.size(), 22);
    Database db;
    QVERIFY(db.open(target));
    for (const QJsonValue &t : tables) {
        const QString name = t["name"].toString();
        QStringList columns;
        for (const QJsonValue &c : t["columns"].toArray())
            columns << '"' + c.toString() + '"';
        // Rows compared as sets: a moved row read twice or a deleted row read at all shows.
        QStringList expected, actual;
        for (const QJsonValue &r : t["rows"].toArray())
            expected << rowKey(r.toArray());
        sqlite3_stmt *stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db.handle(), qPrintable(QString("SELECT %1 FROM %2").arg(columns.join(", "), name)), -1, &stmt,
                                    nullptr),
                 SQLITE_OK);
        const QJsonArray rows = t["rows"].toArray();
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QJsonArray row;
            for (int i = 0; i < columns.size(); ++i) {
                QJsonValue v = jsonValue(stmt, i);
                // The stored hash stands for the plain password that verifies against it.
                if (name == "psd" && columns[i] == "\"Password\"") {
                    for (const QJsonValue &e : rows) {
                        const QString plain = e.toArray()[i].toObject().value("password").toString();
                        if (e.toArray()[0] == row[0] && verifyPassword(plain, v.toString()))
                            v = QJsonObject{{"password", plain}};
                    }
                }
                row.append(v);
            }
            actual << rowKey(row);
        }
        sqlite3_finalize(stmt);
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
        QCOMPARE(result.summary.rowsOf(name), qint64(expected.size()));
    }
    QCOMPARE(result.summary.pictures, qint64(2));
    QVERIFY2(result.summary.warnings.isEmpty(), qPrintable(result.summary.warnings.join('\n')));
}

void TestJetConvert::keysAndSequences()
{
    QTemporaryDir dir;
    const QString old = copyOf("demo.xb", dir.path());
    QVERIFY(convert(old, dir.filePath("new.xb")).ok);
    Database db;
    QVERIFY(db.open(dir.filePath("new.xb")));
    // Deleted rows are gone with their keys; the numbers handed out next come after the old ones.
    const struct
    {
        const char *table;
        const char *key;
        const char *keys;
        const char *insert; // a new row with the key left to the database
        int next;
    } cases[] = {
        {"Goods", "GoodID", "1,2,3,5,6", "INSERT INTO Goods DEFAULT VALUES", 7},
        {"RuKuDan", "TabID", "1,2,4,5", "INSERT INTO RuKuDan(BookID) VALUES ('RK-new')", 6},
        {"psd", "UserID", "1,2,3", "INSERT INTO psd DEFAULT VALUES", 4},
        {"Employees", "EmpID", "1,2,3", "INSERT INTO Employees DEFAULT VALUES", 4},
    };
    for (const auto &c : cases) {
        QCOMPARE(db.scalar(QString("SELECT group_concat(%1) FROM (SELECT %1 FROM %2 ORDER BY %1)").arg(c.key, c.table)).toString(),
                 QString(c.keys));
        QVERIFY(db.exec(c.insert));
        QCOMPARE(db.scalar(QString("SELECT max(%1) FROM %2").arg(c.key, c.table)).toInt(), c.next);
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM RuKuMx WHERE TabID = 3").toInt(), 0);
}

void TestJetConvert::numbersStillReferredToAreNotReused()
{
    // The old file lost its last stock-in bill and its last goods item but kept what referred
    // to them (the bill's lines, the item's stock at a customer): the converted set must not
    // give those numbers to a new bill or item, which would take the old lines over.
    QTemporaryDir dir;
    const QString staging = dir.filePath("staging.sqlite");
    NullProgress quiet;
    QVERIFY(JetReadProcess::run(copyOf("demo.xb", dir.path()), staging, quiet).ok);
    {
        // The staging file is a plain SQLite file, not an account set.
        sqlite3 *old = nullptr;
        QCOMPARE(sqlite3_open(qPrintable(staging), &old), SQLITE_OK);
        const int rc = sqlite3_exec(old,
                                    "DELETE FROM RuKuDan WHERE TabID = 5; DELETE FROM Invoices WHERE TabID = 5; "
                                    "INSERT INTO GoodsInCusts(GoodID, CustID) VALUES (9, 1)",
                                    nullptr, nullptr, nullptr);
        sqlite3_close(old);
        QCOMPARE(rc, SQLITE_OK);
    }
    ConvertSummary summary;
    QString error;
    QVERIFY2(AccountSetFiles::createNew(
                 dir.filePath("new.xb"),
                 [&](const QString &scratch, QString *e) { return StagingImport::run(scratch, staging, &summary, e); }, &error),
             qPrintable(error));
    const QString warnings = summary.warnings.join('\n');
    QVERIFY2(warnings.contains("RuKuDan：") && warnings.contains("新记录的编号从 6 开始"), qPrintable(warnings));
    QVERIFY2(warnings.contains("Goods：") && warnings.contains("新记录的编号从 10 开始"), qPrintable(warnings));
    Database db;
    QVERIFY(db.open(dir.filePath("new.xb")));
    QVERIFY(db.exec("INSERT INTO RuKuDan(BookID) VALUES ('RK-new')"));
    QCOMPARE(db.scalar("SELECT max(TabID) FROM RuKuDan").toInt(), 6);
    QVERIFY(db.exec("INSERT INTO Goods DEFAULT VALUES"));
    QCOMPARE(db.scalar("SELECT max(GoodID) FROM Goods").toInt(), 10);
}

void TestJetConvert::passwordsWorkAtLogin()
{
    QTemporaryDir dir;
    const QString old = copyOf("demo.xb", dir.path());
    QVERIFY(convert(old, dir.filePath("new.xb")).ok);
    Database db;
    QList<LoginUser> users;
    QVERIFY(Login::connect(db, dir.filePath("new.xb"), &users));
    QCOMPARE(users.size(), 3);
    QCOMPARE(users[2].UserName, QString("李四"));
    const struct
    {
        int user;
        const char *password;
        Login::Verdict verdict;
    } cases[] = {
        {1, "", Login::Verdict::Admitted},
        {1, "jl123", Login::Verdict::WrongPassword},
        {2, "jl123", Login::Verdict::Admitted},
        {2, "JL123", Login::Verdict::WrongPassword},
        {2, "", Login::Verdict::WrongPassword},
        {3, "李四口令", Login::Verdict::Admitted},
        {3, "李四", Login::Verdict::WrongPassword},
    };
    for (const auto &c : cases) {
        CurrentUser user;
        QVERIFY2(Login::check(db, c.user, QString::fromUtf8(c.password), &user) == c.verdict,
                 qPrintable(QString("user %1, password %2").arg(c.user).arg(QString::fromUtf8(c.password))));
    }
    // Stored hashed, never as the text typed.
    QCOMPARE(db.scalar("SELECT count(*) FROM psd WHERE Password LIKE '$argon2id$%'").toInt(), 3);
    QCOMPARE(db.scalar("SELECT count(*) FROM psd WHERE Password IN ('', 'jl123', '李四口令') OR Password IS NULL").toInt(), 0);
    db.close();
    QVERIFY(!test::fileBytes(dir.filePath("new.xb")).contains(QByteArray("jl123")));
}

void TestJetConvert::booksCheckHoldsOnDemo()
{
    QTemporaryDir dir;
    const JetConverter::Result result = convert(copyOf("demo.xb", dir.path()), dir.filePath("new.xb"));
    QVERIFY(result.ok);
    QVERIFY(result.summary.checkError.isEmpty());
    QCOMPARE(result.summary.differences, QStringList());
    QVERIFY(result.summary.lines().contains("帐目检查：计数与单据相符。"));
    Database db;
    QVERIFY(db.open(dir.filePath("new.xb")));
    QVERIFY(BooksCheck::run(db).ok);
}

void TestJetConvert::wrongCounterShownAndRecalculated()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("new.xb");
    const JetConverter::Result result = convert(copyOf("wrongcounter.xb", dir.path()), target);
    QVERIFY(result.ok);
    // Copied as it was, and said.
    QCOMPARE(result.summary.differences, QStringList{"Goods 1 HandInc: 39, expected 34"});
    QVERIFY(result.summary.lines().contains("  Goods 1 HandInc: 39, expected 34"));
    {
        Database db;
        QVERIFY(db.open(target));
        QCOMPARE(db.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 39.0);
    }
    NullProgress quiet;
    QString error;
    QVERIFY2(ConvertedBooks::recalc(target, quiet, &error), qPrintable(error));
    Database db;
    QVERIFY(db.open(target));
    QCOMPARE(db.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 34.0);
    QVERIFY(BooksCheck::run(db).ok);
}

void TestJetConvert::oddValuesTakenAndSaid()
{
    // What the old file allowed and the program does not: the bills without a number get one
    // that says so, an empty counter is 0, a table the program lacks is named, and the
    // conversion goes through.
    QTemporaryDir dir;
    const JetConverter::Result result = convert(copyOf("odd.xb", dir.path()), dir.filePath("new.xb"));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.summary.warnings, QStringList({"RuKuDan：1 张单据没有单号，转换后单号为“无单号”。",
                                                   "DiaoBoDan：1 张单据没有单号，转换后单号为“无单号”。",
                                                   "Notes：新格式中没有这张表，它的 2 行没有转换。"}));
    QCOMPARE(result.summary.rowsOf("Notes"), qint64(-1));
    QCOMPARE(result.summary.differences, QStringList());
    Database db;
    QVERIFY(db.open(dir.filePath("new.xb")));
    const struct
    {
        const char *sql;
        QVariant value;
    } cases[] = {
        {"SELECT BookID FROM RuKuDan WHERE TabID = 4", "无单号"},
        {"SELECT BookID FROM DiaoBoDan WHERE TabID = 2", "无单号"},
        {"SELECT BookID FROM DiaoBoDan WHERE TabID = 1", "CK-2005-1-10"},
        {"SELECT typeof(Sold) || ' ' || Sold FROM Goods WHERE GoodID = 5", "real 0.0"},
        {"SELECT count(*) FROM RuKuMx WHERE TabID = 4", 1},
    };
    for (const auto &c : cases)
        QCOMPARE(db.scalar(c.sql).toString(), c.value.toString());
}

void TestJetConvert::refusedFilesLeaveNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray demo = test::fileBytes(sets + "/demo.xb");
    QTest::newRow("cut in a page") << demo.left(demo.size() - 4096 * 3 - 1000) << "损坏";
    QTest::newRow("cut after the catalog") << demo.left(4096 * 6) << "损坏";
    QTest::newRow("header only") << demo.left(2000) << "损坏";
    QTest::newRow("not Jet") << QByteArray("SQLite format 3\0", 16) + QByteArray(8176, '\0') << "不是旧格式";
    QTest::newRow("empty") << QByteArray() << "不是旧格式";
}

void TestJetConvert::refusedFilesLeaveNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString old = dir.filePath("old.xb");
    test::writeBytes(old, bytes);
    const JetConverter::Result result = convert(old, dir.filePath("old.hemu.xb"));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(message), qPrintable(result.error));
    QCOMPARE(test::fileBytes(old), bytes);
    QCOMPARE(entries(dir.path()), QStringList{"old.xb"});
}

void TestJetConvert::convertingTwiceRefuses()
{
    QTemporaryDir dir;
    const QString old = copyOf("demo.xb", dir.path());
    const QString target = JetConverter::convertedPath(old);
    QVERIFY(convert(old, target).ok);
    const QByteArray first = test::fileBytes(target);
    const JetConverter::Result again = convert(old, target);
    QVERIFY(!again.ok);
    QVERIFY2(again.error.contains("已经存在"), qPrintable(again.error));
    QCOMPARE(test::fileBytes(target), first);
    // Any file under the name is refused, account set or not; a dangling link too.
    test::writeBytes(dir.filePath("other.xb"), "keep me");
    QVERIFY(!convert(old, dir.filePath("other.xb")).ok);
    QCOMPARE(test::fileBytes(dir.filePath("other.xb")), QByteArray("keep me"));
    QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("link.xb")));
    QVERIFY(!convert(old, dir.filePath("link.xb")).ok);
    QCOMPARE(entries(dir.path()), QStringList({"demo.hemu.xb", "demo.xb", "link.xb", "other.xb"}));
}

void TestJetConvert::fileAppearingMeanwhileIsKept()
{
    // Another program puts a file under the name while the new set is being written: the
    // rename refuses to replace it, and the scratch file goes.
    QTemporaryDir dir;
    const QString target = dir.filePath("new.xb");
    QString error;
    const bool ok = AccountSetFiles::createNew(
        target,
        [&](const QString &, QString *) {
            test::writeBytes(target, "theirs");
            return true;
        },
        &error);
    QVERIFY(!ok);
    QVERIFY2(error.contains("已经存在"), qPrintable(error));
    QCOMPARE(test::fileBytes(target), QByteArray("theirs"));
    QCOMPARE(entries(dir.path()), QStringList{"new.xb"});
    // A filler that fails leaves nothing either.
    QVERIFY(!AccountSetFiles::createNew(dir.filePath("b.xb"), [](const QString &, QString *) { return false; }));
    QCOMPARE(entries(dir.path()), QStringList{"new.xb"});
}

void TestJetConvert::cliPrintsSummary()
{
    QTemporaryDir dir;
    const QString old = copyOf("wrongcounter.xb", dir.path());
    const test::CliOutput done = test::runCli({"convert", old, dir.filePath("new.xb")});
    QCOMPARE(done.code, 0);
    for (const char *line : {"转换了 22 张表，共 65 行：", "  RuKuDan：4 行", "  Goods：5 行", "图片：2 张", "警告：无",
                             "  Goods 1 HandInc: 39, expected 34",
                             "打开新套帐后，可在“统计 → 单据汇总”中点“汇总”，按单据重算本期的计数。"})
        QVERIFY2(done.out.split('\n').contains(QString::fromUtf8(line)), qPrintable(done.out));
    QVERIFY(AccountSetFiles::isSoundAccountSet(dir.filePath("new.xb")));

    const test::CliOutput twice = test::runCli({"convert", old, dir.filePath("new.xb")});
    QCOMPARE(twice.code, 1);
    QVERIFY2(twice.err.contains("已经存在，不会覆盖它"), qPrintable(twice.err));

    test::writeBytes(dir.filePath("cut.xb"), test::fileBytes(old).left(4096 * 6));
    const test::CliOutput damaged = test::runCli({"convert", dir.filePath("cut.xb"), dir.filePath("cut.hemu.xb")});
    QCOMPARE(damaged.code, 1);
    QVERIFY2(damaged.err.contains("转换失败：旧格式套帐文件已损坏"), qPrintable(damaged.err));
    QVERIFY(!QFile::exists(dir.filePath("cut.hemu.xb")));
}

QTEST_GUILESS_MAIN(TestJetConvert)
#include "test_jetconvert.moc"
