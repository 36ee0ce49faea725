// The restore window: the backups of the open set, and one of them put in its place.
#include "core/backup/backupstore.h"
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "core/shell/accountsetshell.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/shell/mainactions.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"
#include "ui/shell/tfrmrestorebackup.h"

#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using namespace hemu;
using test::control;

class TestRestoreBackup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void listsAndRestores();
    void onlyForAdministrators();
    void folderAndCountPerSet();

private:
    QTemporaryDir m_settings;
};

void TestRestoreBackup::initTestCase()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestRestoreBackup::listsAndRestores()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    Database &db = f.base().MyADOCnn();
    BackupStore store(set.path());
    QVERIFY(db.exec("INSERT INTO RuKuDan(BookID, CustID) VALUES ('A', 1)"));
    QCOMPARE(store.backUp(db, QDateTime(QDate(2026, 11, 30), QTime(18, 0))).outcome, BackupStore::Outcome::Made);
    QVERIFY(db.exec("INSERT INTO RuKuDan(BookID, CustID) VALUES ('B', 1)"));
    QCOMPARE(store.backUp(db, QDateTime(QDate(2026, 12, 1), QTime(9, 30))).outcome, BackupStore::Outcome::Made);
    QVERIFY(db.exec("INSERT INTO DiaoBoDan(BookID, CustID) VALUES ('C', 1)"));
    QVERIFY(f.action("miRestore")->isVisible());
    QVERIFY(f.action("miRestore")->isEnabled());

    QStringList listed;
    f.prompter.queueAnswer(true); // replace the set
    test::whenModal<TfrmRestoreBackup>([&](TfrmRestoreBackup *w) {
        auto *grid = control<QTableWidget>(w, "lvBackups");
        for (int row = 0; row < grid->rowCount(); ++row)
            listed << grid->item(row, 0)->text() + " " + grid->item(row, 2)->text();
        grid->selectRow(1);
        test::answerLogin<TfrmPasswordDlg>(0, QString()); // the restored set opens through the login
        QTest::mouseClick(control<QPushButton>(w, "btnRestore"), Qt::LeftButton);
    });
    f.action("miRestore")->trigger();
    QCOMPARE(listed, QStringList({"2026-12-01 09:30:00 2", "2026-11-30 18:00:00 1"}));
    QVERIFY(f.shell().AccSetOpen);
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT count(*) FROM RuKuDan").toInt(), 1);
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT count(*) FROM DiaoBoDan").toInt(), 0);
    QVERIFY(f.prompter.texts().contains("套帐已从备份恢复，请重新登录。"));
    // The set as it was, with its three bills, heads the list now.
    const BackupEntry first = store.list().first();
    QVERIFY(first.beforeRestore);
    QCOMPARE(BackupStore::billCount(first.path), 3);
}

void TestRestoreBackup::onlyForAdministrators()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    for (const int role : {1, 2, 3}) {
        f.main().actions()->applyRoles(role);
        QVERIFY2(!f.action("miRestore")->isEnabled(), qPrintable(QString::number(role)));
    }
    // Not by its window name either.
    f.base().user().CurRoleID = 1;
    f.prompter.clear();
    QVERIFY(f.main().openWindow("frmRestoreBackup"));
    QCOMPARE(f.prompter.texts(), QStringList({"只有系统管理员才能恢复备份。"}));
}

void TestRestoreBackup::folderAndCountPerSet()
{
    test::TempAccountSet set;
    test::TempAccountSet other;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    const QString folder = set.file("elsewhere");
    QString shown;
    test::whenModal<TfrmRestoreBackup>([&](TfrmRestoreBackup *w) {
        QVERIFY(control<QLineEdit>(w, "edFolder")->text().isEmpty()); // beside the set
        QCOMPARE(control<QSpinBox>(w, "spKeep")->value(), 20);
        control<QLineEdit>(w, "edFolder")->setText(folder);
        control<QSpinBox>(w, "spKeep")->setValue(5);
        QTest::mouseClick(control<QPushButton>(w, "btnSaveSettings"), Qt::LeftButton);
        shown = control<QLabel>(w, "lblFolder")->text();
        QTest::mouseClick(control<QPushButton>(w, "btnClose"), Qt::LeftButton);
    });
    f.action("miRestore")->trigger();
    QCOMPARE(shown, "备份文件夹：" + folder);
    const BackupSettings saved = BackupSettings::load(set.path());
    QCOMPARE(saved.folder, folder);
    QCOMPARE(saved.keepLast, 5);
    // Another set keeps its own.
    QCOMPARE(BackupSettings::load(other.path()).keepLast, 20);
    QVERIFY(f.base().MyADOCnn().exec("INSERT INTO RuKuDan(BookID, CustID) VALUES ('A', 1)"));
    f.shell().CloseAccSet();
    QCOMPARE(QDir(folder).entryList({"*.xb"}, QDir::Files).size(), 1);
    QVERIFY(!QFileInfo::exists(BackupStore::defaultFolder(set.path())));
}

QTEST_MAIN(TestRestoreBackup)
#include "test_restorebackup.moc"
