// Copying, compacting and refusing files that are not account sets.
#include "core/db/accountsetfiles.h"
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/writeaheadlog.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtTest>

using namespace hemu;

class TestAccountSetFiles : public QObject
{
    Q_OBJECT
private slots:
    void notAnAccountSet_data();
    void notAnAccountSet();
    void checkpointUnderWayIsNotCutOff();
    void copyIsConsistentWhileOpen();
    void copyReplacesExistingFile();
    void copyRefusesItsOwnFile();
    void compactKeepsData();
    void compactFailures_data();
    void compactFailures();
};

void TestAccountSetFiles::notAnAccountSet_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("probe");
    test::TempAccountSet set;
    const QByteArray good = test::fileBytes(set.path());
    QTest::newRow("empty") << QByteArray() << int(ProbeResult::NotSqlite);
    QTest::newRow("text") << QByteArray("hello, this is not a database at all\n").repeated(10) << int(ProbeResult::NotSqlite);
    QTest::newRow("truncated") << good.left(good.size() / 2) << int(ProbeResult::Truncated);
    QByteArray corrupt = good;
    for (int i = 4096; i < corrupt.size(); i += 7)
        corrupt[i] = char(0xA5);
    QTest::newRow("corrupted pages") << corrupt << int(ProbeResult::Ok);
    QByteArray foreign = good;
    foreign[68] = foreign[69] = foreign[70] = foreign[71] = 0;
    QTest::newRow("other sqlite database") << foreign << int(ProbeResult::ForeignSqlite);
    QByteArray newer = good;
    newer[63] = 99;
    QTest::newRow("newer schema") << newer << int(ProbeResult::NewerSchema);
}

void TestAccountSetFiles::notAnAccountSet()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, probe);
    QTemporaryDir dir;
    const QString path = dir.filePath("odd.xb");
    test::writeBytes(path, bytes);
    QCOMPARE(int(probeAccountSet(path)), probe);
    Database db;
    QString error;
    QVERIFY(!db.open(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!db.isOpen());
    QCOMPARE(test::fileBytes(path), bytes);
    QVERIFY(!QFile::exists(path + "-wal"));
    QVERIFY(!AccountSetFiles::compact(path));
    QCOMPARE(test::fileBytes(path), bytes);
}

void TestAccountSetFiles::checkpointUnderWayIsNotCutOff()
{
    // Another program's checkpoint writes page 1 (with the new page count) before the pages
    // that make the file that long: for a moment the header runs ahead of the size while the
    // log still holds every page.
    test::TempAccountSet set;
    QTemporaryDir copyDir;
    const QString copy = copyDir.filePath("books.xb");
    {
        Database writer;
        QVERIFY(writer.open(set.path()));
        QVERIFY(writer.exec("PRAGMA wal_autocheckpoint=0"));
        QVERIFY(writer.exec("WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 3000) "
                            "INSERT INTO Goods(Description) SELECT printf('品名型号%04d', v) FROM n"));
        test::writeBytes(copy + "-wal", test::fileBytes(set.path() + "-wal"));
        test::writeBytes(copy, test::fileBytes(set.path()));
    }
    const WriteAheadLog log = WriteAheadLog::read(copy + "-wal");
    QVERIFY(log.replayable);
    QVERIFY(!log.firstPageHeader.isEmpty());
    QByteArray bytes = test::fileBytes(copy);
    bytes.replace(0, 100, log.firstPageHeader);
    test::writeBytes(copy, bytes);
    QVERIFY(qint64(log.databasePages) * log.pageSize > bytes.size());

    QCOMPARE(probeAccountSet(copy), ProbeResult::Ok);
    Database db;
    QString error;
    QVERIFY2(db.open(copy, &error), qPrintable(error));
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), 3000);
    QCOMPARE(db.scalar("PRAGMA quick_check").toString(), QString("ok"));
    db.close();

    // Without the log (the close folded it in and removed it) the same header is a cut-off file.
    test::writeBytes(copy, bytes);
    QVERIFY(!QFile::exists(copy + "-wal"));
    QCOMPARE(probeAccountSet(copy), ProbeResult::Truncated);
    QVERIFY(!db.open(copy, &error));
    QCOMPARE(error, QString("套帐文件不完整。"));
}

void TestAccountSetFiles::copyIsConsistentWhileOpen()
{
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(db.exec("INSERT INTO Areas(AreaName) VALUES ('北区')"));
    {
        // An uncommitted transaction in progress is not part of the copy.
        Transaction tx(db);
        QVERIFY(db.exec("INSERT INTO Areas(AreaName) VALUES ('未提交')"));
        const QString copy = set.file("copy.xb");
        Database other;
        QVERIFY(other.open(set.path()));
        QVERIFY(AccountSetFiles::copyOpen(other, copy));
        Database reader;
        QVERIFY(reader.open(copy));
        QCOMPARE(reader.scalar("SELECT group_concat(AreaName) FROM Areas").toString(), QString("北区"));
        QCOMPARE(reader.scalar("PRAGMA application_id").toInt(), AccountSetFormat::ApplicationId);
    }
}

void TestAccountSetFiles::copyReplacesExistingFile()
{
    test::TempAccountSet set;
    const QString dest = set.file("old.xb");
    test::writeBytes(dest, "previous content");
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(AccountSetFiles::copyOpen(db, dest));
    QCOMPARE(probeAccountSet(dest), ProbeResult::Ok);
    // No scratch files are left behind.
    QCOMPARE(QDir(set.dir()).entryList({"*.part"}, QDir::Files | QDir::Hidden).size(), 0);
}

void TestAccountSetFiles::copyRefusesItsOwnFile()
{
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    const QByteArray before = test::fileBytes(set.path());
    QVERIFY(!AccountSetFiles::copyOpen(db, set.path()));
    QVERIFY(!AccountSetFiles::copyOpen(db, set.file("missing-dir/x.xb")));
    // The same file reached through a linked folder: replacing it would leave the open
    // connection writing into a file that no longer has a name.
    const QString link = set.file("linked");
    QVERIFY(QFile::link(set.dir(), link));
    QVERIFY(!AccountSetFiles::copyOpen(db, link + "/books.xb"));
    QCOMPARE(test::fileBytes(set.path()), before);
    QCOMPARE(db.scalar("SELECT count(*) FROM psd").toInt(), 1);
}

void TestAccountSetFiles::compactKeepsData()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        Transaction tx(db);
        for (int i = 1; i <= 500; ++i)
            QVERIFY(db.exec("INSERT INTO Goods(GoodID, Description) VALUES (?, ?)", {i, QString("货品%1").arg(i).repeated(20)}));
        QVERIFY(tx.commit());
        QVERIFY(db.exec("DELETE FROM Goods WHERE GoodID > 10"));
    }
    const qint64 before = QFileInfo(set.path()).size() + QFileInfo(set.path() + "-wal").size();
    QVERIFY(AccountSetFiles::compact(set.path()));
    QVERIFY(!QFile::exists(set.file("tmp.xb")));
    QVERIFY(QFileInfo(set.path()).size() < before);
    Database db;
    QVERIFY(db.open(set.path()));
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), 10);
    QCOMPARE(db.scalar("SELECT Description FROM Goods WHERE GoodID = 3").toString(), QString("货品3").repeated(20));
    QCOMPARE(db.scalar("PRAGMA integrity_check").toString(), QString("ok"));
}

void TestAccountSetFiles::compactFailures_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("leftover tmp.xb") << "tmp";
    QTest::newRow("in use by another program") << "open";
    QTest::newRow("missing file") << "missing";
}

void TestAccountSetFiles::compactFailures()
{
    QFETCH(QString, situation);
    test::TempAccountSet set;
    Database holder;
    if (situation == "tmp")
        test::writeBytes(set.file("tmp.xb"), "left over");
    if (situation == "open") {
        QVERIFY(holder.open(set.path()));
        QVERIFY(holder.exec("INSERT INTO Areas(AreaName) VALUES ('x')"));
    }
    const QString path = situation == "missing" ? set.file("nothing.xb") : set.path();
    const QByteArray before = test::fileBytes(path);
    QString error;
    QVERIFY(!AccountSetFiles::compact(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(test::fileBytes(path), before);
    if (situation == "tmp")
        QCOMPARE(test::fileBytes(set.file("tmp.xb")), QByteArray("left over"));
    else
        QVERIFY(!QFile::exists(set.file("tmp.xb")));
    if (situation == "open")
        QCOMPARE(holder.scalar("SELECT count(*) FROM Areas").toInt(), 1);
}

QTEST_GUILESS_MAIN(TestAccountSetFiles)
#include "test_accountsetfiles.moc"
