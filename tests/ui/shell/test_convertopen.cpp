// Opening an account set kept in the old format: the question, the conversion beside it, the
// summary, the offer to rebuild counters that disagree with the bills, then the usual login on
// the new set. Driven through the program's own open with scripted answers.
#include "core/bills/bookscheck.h"
#include "core/convert/conversionoffer.h"
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "core/shell/accountsetshell.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/shell/tfrmpassworddlg.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace hemu;

namespace {

QString fixtureCopy(const QString &name, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(HEMU_JET_SETS "/") + name, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestConvertOpen : public QObject
{
    Q_OBJECT
private slots:
    void convertsAndOpensTheNewSet();
    void differencesOfferedAndRecalculated();
    void differencesKeptWhenDeclined();
    void declinedOrAlreadyConvertedOpensNothing();
};

void TestConvertOpen::convertsAndOpensTheNewSet()
{
    QTemporaryDir dir;
    const QString old = fixtureCopy("demo.xb", dir);
    const QByteArray before = test::fileBytes(old);
    test::AppFixture f;
    f.prompter.queueAnswer(true);
    QVERIFY(f.start(old, 1, "jl123")); // 张三 logs in with the password he had
    QCOMPARE(f.shell().AccSetFileName, dir.filePath("demo.hemu.xb"));
    QCOMPARE(f.base().CurUserName(), QString("张三"));
    const QList<ScriptedPrompter::Entry> shown = f.prompter.entries();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].kind, Prompter::Kind::Question);
    QCOMPARE(shown[0].text, ConversionOffer::questionText());
    QCOMPARE(shown[1].kind, Prompter::Kind::Information);
    for (const char *line : {"  RuKuDan：4 行", "图片：2 张", "帐目检查：计数与单据相符。"})
        QVERIFY2(shown[1].text.split('\n').contains(QString::fromUtf8(line)), qPrintable(shown[1].text));
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT count(*) FROM ChuKuMx").toInt(), 3);
    QCOMPARE(test::fileBytes(old), before);
}

void TestConvertOpen::differencesOfferedAndRecalculated()
{
    QTemporaryDir dir;
    const QString old = fixtureCopy("wrongcounter.xb", dir);
    test::AppFixture f;
    f.prompter.queueAnswer(true); // convert
    f.prompter.queueAnswer(true); // 按单据重算
    QVERIFY(f.start(old));
    const QList<ScriptedPrompter::Entry> shown = f.prompter.entries();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[1].kind, Prompter::Kind::Question);
    QVERIFY(shown[1].text.contains("  Goods 1 HandInc: 39, expected 34"));
    QVERIFY(shown[1].text.endsWith(ConversionOffer::recalcQuestionText()));
    QCOMPARE(shown[2].text, QString("已按单据重算本期的计数。"));
    Database &db = f.base().MyADOCnn();
    QCOMPARE(db.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 34.0);
    QVERIFY(BooksCheck::run(db).ok);
}

void TestConvertOpen::differencesKeptWhenDeclined()
{
    QTemporaryDir dir;
    const QString old = fixtureCopy("wrongcounter.xb", dir);
    test::AppFixture f;
    f.prompter.queueAnswer(true);
    f.prompter.queueAnswer(false); // keep the old counters
    QVERIFY(f.start(old));
    QCOMPARE(f.prompter.entries().size(), 2);
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 39.0);
}

void TestConvertOpen::declinedOrAlreadyConvertedOpensNothing()
{
    QTemporaryDir dir;
    const QString old = fixtureCopy("demo.xb", dir);
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));

    // "否": nothing is written and no set is open.
    f.prompter.clear();
    f.files.queue(old);
    f.prompter.queueAnswer(false);
    f.action("miOpen")->trigger();
    QVERIFY(!f.shell().AccSetOpen);
    QCOMPARE(f.prompter.texts(), QStringList{ConversionOffer::questionText()});
    QCOMPARE(entries(dir), QStringList{"demo.xb"});

    // A file under the new name already: refused, never overwritten.
    test::writeBytes(dir.filePath("demo.hemu.xb"), "someone's file");
    f.prompter.clear();
    f.files.queue(old);
    f.prompter.queueAnswer(true);
    f.action("miOpen")->trigger();
    QVERIFY(!f.shell().AccSetOpen);
    QCOMPARE(f.prompter.entries().size(), 2);
    QCOMPARE(f.prompter.entries()[1].kind, Prompter::Kind::Warning);
    QVERIFY(f.prompter.lastText().contains("已经存在，不会覆盖它"));
    QCOMPARE(test::fileBytes(dir.filePath("demo.hemu.xb")), QByteArray("someone's file"));
    QCOMPARE(entries(dir), QStringList({"demo.hemu.xb", "demo.xb"}));

    // A damaged old file: said, and nothing written.
    QFile::remove(dir.filePath("demo.hemu.xb"));
    test::writeBytes(old, test::fileBytes(old).left(4096 * 6));
    f.prompter.clear();
    f.files.queue(old);
    f.prompter.queueAnswer(true);
    f.action("miOpen")->trigger();
    QVERIFY(!f.shell().AccSetOpen);
    QVERIFY2(f.prompter.lastText().startsWith("旧格式套帐没有转换：旧格式套帐文件已损坏"), qPrintable(f.prompter.lastText()));
    QCOMPARE(entries(dir), QStringList{"demo.xb"});
}

QTEST_MAIN(TestConvertOpen)
#include "test_convertopen.moc"
