// Automatic backups, their rotation, the restore and the structure check of every open.
#include "core/backup/backuprotation.h"
#include "core/backup/backupstore.h"
#include "core/filechooser.h"
#include "core/shell/accountsetshell.h"
#include "core/shell/login.h"
#include "support/books.h"
#include "support/damagedsets.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

using namespace hemu;
using test::Books;

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd HH:mm");
}

QStringList backupNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

int billsIn(const QString &path)
{
    return BackupStore::billCount(path);
}

} // namespace

class TestBackups : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rotation_data();
    void rotation();
    void rotationOnDisk();
    void unchangedSetMakesNoBackup();
    void closeBacksUpAndAFailureDoesNotBlock();
    void periodOperationsBackUpFirst_data();
    void periodOperationsBackUpFirst();
    void restoreReplacesWithAVerifiedCopy();
    void restoreRefusesWhatItCannotDoSafely();
    void damagedSetOnOpenOffersTheNewestGoodBackup_data();
    void damagedSetOnOpenOffersTheNewestGoodBackup();
    void restoreCommandIsForAdministrators();

private:
    QTemporaryDir m_settings;
};

void TestBackups::initTestCase()
{
    // The backup settings of these sets stay out of the user's own.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestBackups::rotation_data()
{
    QTest::addColumn<QList<QDateTime>>("times");
    QTest::addColumn<int>("keepLast");
    QTest::addColumn<QList<bool>>("expected");
    const QList<QDateTime> spread{
        at("2026-12-11 10:00"), at("2026-12-10 09:00"), at("2026-12-09 09:00"),
        at("2026-12-08 09:00"), // neither among the newest three nor the newest of December
        at("2026-11-30 18:00"), // newest of November
        at("2026-11-02 18:00"), // an older one of November
        at("2026-01-15 12:00"), // eleven months back: still its month's newest within the year
        at("2025-12-20 12:00"), // twelve months back: gone
    };
    QTest::newRow("newest few, then one per month for a year")
        << spread << 3 << QList<bool>{true, true, true, false, true, false, true, false};
    QTest::newRow("all within the newest")
        << spread << 20 << QList<bool>{true, true, true, true, true, true, true, true};
    QTest::newRow("given in any order") << QList<QDateTime>{at("2026-12-08 09:00"), at("2026-12-11 10:00"), at("2026-12-10 09:00")}
                                        << 1 << QList<bool>{false, true, false};
    // A clock set back leaves backups "from the future": they count as the newest.
    QTest::newRow("taken after now") << QList<QDateTime>{at("2027-03-01 08:00"), at("2026-12-11 08:00"), at("2026-12-01 08:00")}
                                     << 1 << QList<bool>{true, true, false};
}

void TestBackups::rotation()
{
    QFETCH(QList<QDateTime>, times);
    QFETCH(int, keepLast);
    QFETCH(QList<bool>, expected);
    QCOMPARE(BackupRotation::keep(times, at("2026-12-11 12:00"), keepLast), expected);
}

void TestBackups::rotationOnDisk()
{
    Books books;
    BackupSettings settings;
    settings.keepLast = 2;
    BackupStore store(books.set.path(), settings);
    QCOMPARE(store.folder(), books.set.dir() + "/" + QFileInfo(books.set.path()).completeBaseName() + ".backups");
    QVERIFY(QDir().mkpath(store.folder()));
    // Files that are not this program's backups are never touched.
    for (const char *foreign : {"notes.txt", "other-20261201-080000.xb"})
        test::writeBytes(store.folder() + "/" + QString::fromUtf8(foreign), "x");
    const QStringList when{"2026-10-05 08:00", "2026-11-03 08:00", "2026-11-04 08:00",
                           "2026-12-01 08:00", "2026-12-02 08:00", "2026-12-03 08:00"};
    for (const QString &w : when) {
        books.bill(BillKind::StockIn, 1, {{1, 1, 1}}); // a change each time
        QCOMPARE(store.backUp(books.db(), at(w)).outcome, BackupStore::Outcome::Made);
    }
    const QString base = QFileInfo(books.set.path()).completeBaseName();
    QCOMPARE(backupNames(store.folder()),
             QStringList({base + "-20261005-080000.xb", base + "-20261104-080000.xb", base + "-20261202-080000.xb",
                          base + "-20261203-080000.xb", "notes.txt", "other-20261201-080000.xb"}));
    // Each holds the set as it was when it was taken.
    const QList<BackupEntry> entries = store.list();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries.first().takenAt, at("2026-12-03 08:00"));
    QCOMPARE(billsIn(entries.first().path), 6);
    QCOMPARE(billsIn(entries.last().path), 1);
}

void TestBackups::unchangedSetMakesNoBackup()
{
    Books books;
    BackupStore store(books.set.path());
    QCOMPARE(store.backUp(books.db(), at("2026-12-01 08:00")).outcome, BackupStore::Outcome::Made);
    // Nothing written since: nothing new, also not after reading, a new connection or a
    // checkpoint of the log.
    books.tab->Goods->refresh();
    QCOMPARE(store.backUp(books.db(), at("2026-12-01 09:00")).outcome, BackupStore::Outcome::Unchanged);
    {
        Database other;
        QVERIFY(other.open(books.set.path()));
        QVERIFY(other.exec("PRAGMA wal_checkpoint(TRUNCATE)"));
        QCOMPARE(store.backUp(other, at("2026-12-01 10:00")).outcome, BackupStore::Outcome::Unchanged);
    }
    QCOMPARE(store.list().size(), 1);
    // One bill more is a change, also when another program wrote it.
    {
        Books other(books.set.path());
        other.bill(BillKind::Delivery, 2, {{1, 1, 3}});
    }
    const BackupStore::Result made = store.backUp(books.db(), at("2026-12-01 11:00"));
    QCOMPARE(made.outcome, BackupStore::Outcome::Made);
    QCOMPARE(billsIn(made.path), 1);
    QCOMPARE(store.list().size(), 2);
}

void TestBackups::closeBacksUpAndAFailureDoesNotBlock()
{
    ScriptedFileChooser files;
    NullProgress busy;
    for (const bool folderBlocked : {false, true}) {
        Books books;
        books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
        const QString folder = BackupStore::defaultFolder(books.set.path());
        if (folderBlocked)
            test::writeBytes(folder, "a file where the folder should be");
        AccountSetShell shell(*books.base, books.prompter, files, busy);
        shell.AccSetFileName = books.set.path();
        shell.AccSetOpen = true;
        books.prompter.clear();
        QVERIFY(shell.CloseAccSet());
        QVERIFY(!books.db().isOpen());
        if (folderBlocked) {
            QCOMPARE(books.prompter.entries().size(), 1);
            QCOMPARE(books.prompter.entries().first().kind, Prompter::Kind::Warning);
            QVERIFY2(books.prompter.lastText().startsWith("自动备份失败："), qPrintable(books.prompter.lastText()));
            QVERIFY(QFileInfo(folder).isFile());
        } else {
            QCOMPARE(books.prompter.texts(), QStringList());
            const QList<BackupEntry> entries = BackupStore(books.set.path()).list();
            QCOMPARE(entries.size(), 1);
            QCOMPARE(billsIn(entries.first().path), 1);
            QVERIFY(BackupStore::isSound(entries.first().path));
        }
    }
}

void TestBackups::periodOperationsBackUpFirst_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("carry forward") << "carry";
    QTest::newRow("clear bills") << "bills";
    QTest::newRow("clear totals") << "totals";
    QTest::newRow("clear all") << "all";
}

void TestBackups::periodOperationsBackUpFirst()
{
    QFETCH(QString, operation);
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    books.bill(BillKind::Delivery, 2, {{1, 4, 3}});
    bool ok = false;
    if (operation == "carry")
        ok = books.tab->CarryForward(QDate(2026, 12, 10));
    else if (operation == "bills")
        ok = books.tab->ClearBills();
    else if (operation == "totals")
        ok = books.tab->ClearTotals();
    else
        ok = books.tab->ClearAll();
    QVERIFY(ok);
    const QList<BackupEntry> entries = BackupStore(books.set.path()).list();
    QCOMPARE(entries.size(), 1);
    // The backup holds the books as they were before the operation.
    Database backup;
    QVERIFY(backup.open(entries.first().path));
    QCOMPARE(backup.scalar("SELECT count(*) FROM RuKuDan").toInt() + backup.scalar("SELECT count(*) FROM DiaoBoDan").toInt(), 2);
    QCOMPARE(backup.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 10.0);
    QVERIFY(backup.scalar("SELECT 结转时间 FROM UserInfo").toString().isEmpty());
}

void TestBackups::restoreReplacesWithAVerifiedCopy()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    BackupStore store(books.set.path());
    const BackupStore::Result first = store.backUp(books.db(), at("2026-12-01 08:00"));
    QCOMPARE(first.outcome, BackupStore::Outcome::Made);
    books.bill(BillKind::StockIn, 1, {{2, 5, 2}});
    books.db().close();

    QString error;
    QVERIFY2(store.restore(first.path, &error, at("2026-12-02 08:00")), qPrintable(error));
    QCOMPARE(billsIn(books.set.path()), 1);
    QVERIFY(BackupStore::isSound(books.set.path()));
    QVERIFY(!QFileInfo::exists(books.set.path() + "-wal"));
    // The set as it was is kept first, among the backups, and can itself be restored.
    const QString before = store.preRestorePath();
    QVERIFY(QFileInfo(before).fileName().endsWith("-20261202-080000-恢复前.xb"));
    QCOMPARE(billsIn(before), 2);
    QCOMPARE(store.list().first().path, before);
    QVERIFY(store.list().first().beforeRestore);
    // The restored set opens and is written as any other.
    Database db;
    QVERIFY(db.open(books.set.path()));
    QVERIFY(db.exec("UPDATE Goods SET BarCode = 'x' WHERE GoodID = 1"));
}

void TestBackups::restoreRefusesWhatItCannotDoSafely()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    BackupStore store(books.set.path());
    const BackupStore::Result good = store.backUp(books.db(), at("2026-12-01 08:00"));
    QCOMPARE(good.outcome, BackupStore::Outcome::Made);
    books.bill(BillKind::StockIn, 1, {{2, 5, 2}});
    const QString set = books.set.path();

    // Another program still has the set open: nothing is replaced.
    QString error;
    const QByteArray whileOpen = test::DamagedSets::fileHash(set);
    QVERIFY(!store.restore(good.path, &error, at("2026-12-02 08:00")));
    QVERIFY2(error.contains("正被其他程序使用"), qPrintable(error));
    QCOMPARE(test::DamagedSets::fileHash(set), whileOpen);
    books.db().close();

    // A backup damaged on the disk (a page overwritten) is never put in place.
    const QString bad = store.folder() + "/" + QFileInfo(set).completeBaseName() + "-20261201-090000.xb";
    QVERIFY(QFile::copy(good.path, bad));
    test::DamagedSets::grow(bad, "RuKuDan", 400);
    {
        // The backup's journal mode is its own; growing it must not leave a log beside it.
        Database db;
        QVERIFY(db.open(bad));
        QVERIFY(db.exec("PRAGMA journal_mode=DELETE"));
    }
    test::DamagedSets::breakLastPage(bad, "RuKuDan_TabDate");
    const QByteArray closed = test::DamagedSets::fileHash(set);
    QVERIFY(!store.restore(bad, &error, at("2026-12-02 09:00")));
    QVERIFY2(error.contains("未通过完整性检查"), qPrintable(error));
    QCOMPARE(test::DamagedSets::fileHash(set), closed);
    QCOMPARE(billsIn(set), 2);
}

void TestBackups::damagedSetOnOpenOffersTheNewestGoodBackup_data()
{
    QTest::addColumn<bool>("withBackup");
    QTest::addColumn<bool>("accept");
    QTest::newRow("offered and taken") << true << true;
    QTest::newRow("offered and declined") << true << false;
    QTest::newRow("no backup to offer") << false << false;
}

void TestBackups::damagedSetOnOpenOffersTheNewestGoodBackup()
{
    QFETCH(bool, withBackup);
    QFETCH(bool, accept);
    ScriptedFileChooser files;
    NullProgress busy;
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    const QString set = books.set.path();
    BackupStore store(set);
    if (withBackup) {
        QCOMPARE(store.backUp(books.db(), at("2026-12-01 08:00")).outcome, BackupStore::Outcome::Made);
        // A newer backup that is itself damaged is passed over.
        const QString newer = store.folder() + "/" + QFileInfo(set).completeBaseName() + "-20261201-090000.xb";
        QVERIFY(QFile::copy(store.list().first().path, newer));
        test::DamagedSets::grow(newer, "DiaoBoDan", 400);
        {
            Database db;
            QVERIFY(db.open(newer));
            QVERIFY(db.exec("PRAGMA journal_mode=DELETE"));
        }
        test::DamagedSets::breakLastPage(newer, "DiaoBoDan_TabDate");
    }
    books.db().close();
    // Damage the reading of the tables does not meet, only the structure check.
    test::DamagedSets::grow(set, "RuKuDan", 400);
    test::DamagedSets::breakLastPage(set, "RuKuDan_TabDate");
    const QByteArray damaged = test::DamagedSets::fileHash(set);

    AccountSetShell shell(*books.base, books.prompter, files, busy);
    bool loggedIn = false;
    QList<LoginUser> users;
    shell.loginGate = [&](const QString &path) {
        loggedIn = true;
        return Login::connect(books.db(), path, &users);
    };
    shell.pendingPath = set;
    books.prompter.clear();
    books.prompter.queueAnswer(accept);
    shell.openAccountSet();
    QVERIFY(loggedIn);
    QVERIFY(shell.AccSetOpen);
    const QList<ScriptedPrompter::Entry> said = books.prompter.entries();
    QVERIFY(!said.isEmpty());
    QVERIFY2(said.first().text.contains("已损坏"), qPrintable(said.first().text));
    if (!withBackup) {
        QCOMPARE(said.first().kind, Prompter::Kind::Warning);
        QVERIFY(said.first().text.contains("没有找到完好的备份"));
        QCOMPARE(test::DamagedSets::fileHash(set), damaged);
        return;
    }
    QCOMPARE(said.first().kind, Prompter::Kind::Question);
    QVERIFY2(said.first().text.contains("2026-12-01 08:00 的备份（1 张单据）"), qPrintable(said.first().text));
    if (!accept) {
        QCOMPARE(said.size(), 1);
        // The set opens as it is; a write is refused, never spread into the damage.
        QCOMPARE(books.db().checkIntegrity(), Database::Soundness::Damaged);
        return;
    }
    QCOMPARE(said.last().kind, Prompter::Kind::Information);
    QCOMPARE(books.db().checkIntegrity(), Database::Soundness::Sound);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuDan").toInt(), 1);
    // The damaged file is kept beside the backups, with all it held.
    const BackupEntry kept = store.list().first();
    QVERIFY(kept.beforeRestore);
    QVERIFY(!BackupStore::isSound(kept.path));
    QCOMPARE(billsIn(kept.path), 401);
}

void TestBackups::restoreCommandIsForAdministrators()
{
    ScriptedFileChooser files;
    NullProgress busy;
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    BackupStore store(books.set.path());
    const QString backup = store.backUp(books.db(), at("2026-12-01 08:00")).path;
    books.bill(BillKind::StockIn, 1, {{2, 10, 2}});
    AccountSetShell shell(*books.base, books.prompter, files, busy);
    shell.AccSetFileName = books.set.path();
    shell.AccSetOpen = true;
    int logins = 0;
    QList<LoginUser> users;
    shell.loginGate = [&](const QString &path) {
        ++logins;
        return Login::connect(books.db(), path, &users);
    };

    books.base->user().CurRoleID = 1;
    books.prompter.clear();
    QVERIFY(!shell.restoreBackup(backup));
    QCOMPARE(books.prompter.texts(), QStringList({"只有系统管理员才能恢复备份。"}));
    QCOMPARE(billsIn(books.set.path()), 2);

    books.base->user().CurRoleID = 0;
    books.prompter.clear();
    books.prompter.queueAnswer(false);
    QVERIFY(!shell.restoreBackup(backup));
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuDan").toInt(), 2);

    books.prompter.queueAnswer(true);
    QVERIFY(shell.restoreBackup(backup));
    QCOMPARE(logins, 1);
    QVERIFY(shell.AccSetOpen);
    QCOMPARE(books.db().scalar("SELECT count(*) FROM RuKuDan").toInt(), 1);
    QCOMPARE(books.prompter.lastText(), QString("套帐已从备份恢复，请重新登录。"));
    // The set as it was stands among the backups; the close made no second copy of it.
    const QList<BackupEntry> entries = store.list();
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries.first().beforeRestore);
    QCOMPARE(billsIn(entries.first().path), 2);
}

QTEST_GUILESS_MAIN(TestBackups)
#include "test_backups.moc"
