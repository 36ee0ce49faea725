// Damaged and foreign files, as a bad disk, a crash or a copy from another folder leaves them:
// every command refuses them with its reason and leaves every file as it was.
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/shell/login.h"
#include "support/clirun.h"
#include "support/damagedsets.h"
#include "support/testsupport.h"

#include <QDir>
#include <QtTest>

using namespace hemu;
using namespace hemu::test;

class TestDamagedSets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void damagedRecordIsAReadError_data();
    void damagedRecordIsAReadError();
    void damagedSetIsNotWritten();
    void checkReportsTheStructure();
    void leftoversAreRefused_data();
    void leftoversAreRefused();
    void foreignFileWithOurMarkStaysAsItWas();
    void craftedPasswordHashIsAFailedLogin();
    void openFailuresSayWhy_data();
    void openFailuresSayWhy();

private:
    using Output = CliOutput;
    static Output cli(const QStringList &args, const QByteArray &input = {}) { return runCli(args, input); }
    /// A copy of the generated demo set in `dir`, named books.xb.
    QString demoIn(const QTemporaryDir &dir) const
    {
        const QString path = dir.filePath("books.xb");
        QFile::copy(m_demo, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    /// Hashes of every file in the folder, by name.
    static QMap<QString, QByteArray> folderHashes(const QString &folder)
    {
        QMap<QString, QByteArray> out;
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            out.insert(name, DamagedSets::fileHash(QDir(folder).filePath(name)));
        return out;
    }

    QTemporaryDir m_dir;
    QString m_demo;
};

void TestDamagedSets::initTestCase()
{
    m_demo = m_dir.filePath("demo.xb");
    QCOMPARE(cli({"demo", m_demo}).code, 0);
}

void TestDamagedSets::damagedRecordIsAReadError_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("command");
    QTest::newRow("export csv") << "Goods" << QStringList{"export", "@", "Goods"};
    QTest::newRow("export json") << "Goods" << QStringList{"export", "@", "Goods", "--format", "json"};
    QTest::newRow("check, bill headers") << "RuKuDan" << QStringList{"check", "@"};
    QTest::newRow("check, goods") << "Goods" << QStringList{"check", "@"};
}

void TestDamagedSets::damagedRecordIsAReadError()
{
    QFETCH(QString, table);
    QFETCH(QStringList, command);
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    DamagedSets::grow(path, table, 400);
    command.replace(1, path);
    // Whole, the set reads and holds.
    const Output whole = cli(command);
    QCOMPARE(whole.code, 0);
    DamagedSets::breakLastPage(path, table);
    const QMap<QString, QByteArray> before = folderHashes(dir.path());
    const Output broken = cli(command);
    QCOMPARE(broken.code, 1);
    QVERIFY2(broken.err.contains("malformed"), qPrintable(broken.err));
    // Nothing of a part read is given out as the whole.
    QVERIFY2(!broken.out.contains("books hold"), qPrintable(broken.out));
    if (command.first() == "export")
        QCOMPARE(broken.out, QString());
    QCOMPARE(folderHashes(dir.path()), before);
}

void TestDamagedSets::checkReportsTheStructure()
{
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    DamagedSets::grow(path, "RuKuDan", 1000);
    const Output whole = cli({"check", path});
    QCOMPARE(whole.code, 0);
    QVERIFY2(whole.out.startsWith("integrity ok\n"), qPrintable(whole.out));
    // An index page overwritten: every table still reads and the books hold, but the file
    // is damaged, and check says so.
    DamagedSets::breakLastPage(path, "RuKuDan_TabDate");
    const Output broken = cli({"check", path});
    QCOMPARE(broken.code, 1);
    QVERIFY2(broken.out.startsWith("integrity damaged: "), qPrintable(broken.out));
    QVERIFY(broken.out.contains("books hold"));
}

void TestDamagedSets::damagedSetIsNotWritten()
{
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    // Damage that reading the tables does not meet, only a check of the whole file.
    DamagedSets::grow(path, "RuKuDan", 1000);
    DamagedSets::breakLastPage(path, "RuKuDan_TabDate");
    const QMap<QString, QByteArray> before = folderHashes(dir.path());
    const Output run = cli({"exec", path},
                           R"({"op":"bill","kind":1,"party":1,"book":"D1","date":"2026-12-01","lines":[{"goods":1,"qty":1,"price":1}]})"
                           "\n"
                           R"({"op":"add","table":"Areas","values":{"AreaName":"损坏"}})"
                           "\n");
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QStringList answers = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(answers.size(), 2);
    for (const QString &answer : answers) {
        QVERIFY2(answer.contains("\"ok\":false"), qPrintable(answer));
        QVERIFY2(answer.contains(Database::damagedText()), qPrintable(answer));
    }
    QCOMPARE(folderHashes(dir.path()), before);

    // In the program itself: no transaction begins, and the reason is the damage.
    Database db;
    QVERIFY(db.open(path));
    Transaction tx(db);
    QVERIFY(!tx.isActive());
    QCOMPARE(db.lastError().databaseText(), Database::damagedText());
}

void TestDamagedSets::leftoversAreRefused_data()
{
    QTest::addColumn<QString>("leftover");
    QTest::addColumn<int>("kind"); // 0: foreign log, 1: log of another page size, 2: rollback journal
    QTest::newRow("log of another database") << "books.xb-wal" << 0;
    QTest::newRow("log of another page size") << "books.xb-wal" << 1;
    QTest::newRow("journal beside a set in log mode") << "books.xb-journal" << 2;
}

void TestDamagedSets::leftoversAreRefused()
{
    QFETCH(QString, leftover);
    QFETCH(int, kind);
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    const QString leftoverPath = dir.filePath(leftover);
    if (kind == 2)
        DamagedSets::writeForeignJournal(leftoverPath);
    else
        DamagedSets::writeForeignWal(leftoverPath, kind == 0 ? 4096 : 1024);
    QVERIFY(QFileInfo(leftoverPath).size() > 0);
    const QMap<QString, QByteArray> before = folderHashes(dir.path());

    Database db;
    QString error;
    QVERIFY(!db.open(path, &error));
    QVERIFY2(error.contains(leftover), qPrintable(error));
    QCOMPARE(folderHashes(dir.path()), before);

    for (const QStringList &command : {QStringList{"export", path, "Goods"}, QStringList{"check", path}, QStringList{"exec", path}}) {
        const Output o = cli(command, R"({"op":"add","table":"Areas","values":{"AreaName":"x"}})" "\n");
        QCOMPARE(o.code, 1);
        QVERIFY2(o.err.contains(leftover), qPrintable(o.err));
        QCOMPARE(o.out, QString());
        QCOMPARE(folderHashes(dir.path()), before);
    }

    // Moved away, the set opens as it was.
    QVERIFY(QFile::remove(leftoverPath));
    QVERIFY(db.open(path, &error));
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), 30);
    QVERIFY(!db.scalar("SELECT 1 FROM sqlite_master WHERE name = 'notes'").isValid());
}

void TestDamagedSets::foreignFileWithOurMarkStaysAsItWas()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("books.xb");
    // Another program's file that happens to carry our marks.
    DamagedSets::writeMarkedForeignFile(path);
    QCOMPARE(probeAccountSet(path), ProbeResult::Ok);
    const QMap<QString, QByteArray> before = folderHashes(dir.path());
    Database db;
    QString error;
    QVERIFY(!db.open(path, &error));
    QCOMPARE(error, QString("不是本系统的套帐文件。"));
    const Output o = cli({"exec", path});
    QCOMPARE(o.code, 1);
    QVERIFY2(o.err.contains("不是本系统的套帐文件。"), qPrintable(o.err));
    // Not switched to write-ahead logging, not changed at all.
    QCOMPARE(folderHashes(dir.path()), before);
}

void TestDamagedSets::craftedPasswordHashIsAFailedLogin()
{
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    // The right password, with a pass count that would keep the verifier busy for hours.
    QString hash = hashPassword("pw");
    hash.replace(",t=2,", ",t=4294967295,");
    DamagedSets::setPasswordHash(path, 1, hash);
    const QMap<QString, QByteArray> before = folderHashes(dir.path());
    const Output o = cli({"exec", path, "--user", "1", "--password", "pw"});
    QCOMPARE(o.code, 1);
    QVERIFY2(o.err.contains(Login::wrongPasswordText()), qPrintable(o.err));
    QCOMPARE(folderHashes(dir.path()), before);
}

void TestDamagedSets::openFailuresSayWhy_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a database") << 0 << "不是套帐文件。";
    QTest::newRow("newer program") << 1 << "套帐文件版本高于本程序。";
    QTest::newRow("cut off") << 2 << "套帐文件不完整。";
    QTest::newRow("unusable shared-memory file") << 3 << "无法使用套帐文件旁的 books.xb-shm。";
    QTest::newRow("missing") << 4 << "文件不存在。";
}

void TestDamagedSets::openFailuresSayWhy()
{
    QFETCH(int, damage);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = demoIn(dir);
    QByteArray bytes = fileBytes(path);
    switch (damage) {
    case 0:
        writeBytes(path, QByteArray("not an account set").repeated(20));
        break;
    case 1:
        bytes[63] = 9;
        writeBytes(path, bytes);
        break;
    case 2:
        writeBytes(path, bytes.left(bytes.size() / 2));
        break;
    case 3:
        // A folder where the shared-memory file belongs: SQLite cannot use it.
        QVERIFY(QDir(dir.path()).mkdir("books.xb-shm"));
        break;
    case 4:
        QFile::remove(path);
        break;
    }
    const QMap<QString, QByteArray> before = folderHashes(dir.path());
    for (const QStringList &command : {QStringList{"exec", path}, QStringList{"export", path, "Goods"}, QStringList{"check", path}}) {
        const Output o = cli(command, R"({"op":"add","table":"Areas","values":{"AreaName":"x"}})" "\n");
        QCOMPARE(o.code, 1);
        QVERIFY2(o.err.contains(reason), qPrintable(command.first() + ": " + o.err));
        QCOMPARE(o.out, QString());
    }
    QCOMPARE(folderHashes(dir.path()), before);
}

QTEST_GUILESS_MAIN(TestDamagedSets)
#include "test_damagedsets.moc"
