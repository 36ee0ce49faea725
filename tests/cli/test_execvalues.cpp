// hemu-cli exec given values the rules must refuse: each answer says why, and the books are
// as they were (byte for byte in every table, and the books check holds).
#include "core/bills/billvalues.h"
#include "core/data/billguard.h"
#include "core/data/invoiceentry.h"
#include "core/data/masterguard.h"
#include "core/db/database.h"
#include "core/format/datetext.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace hemu;

namespace {

using Output = test::CliOutput;

Output cli(const QStringList &args, const QByteArray &input = {})
{
    return test::runCli(args, input);
}

/// Every row of the tables a refused operation could have touched, as text.
QString contents(const QString &file)
{
    Database db;
    if (!db.open(file))
        return QStringLiteral("cannot open");
    QString out;
    for (const char *table : {"Goods", "GoodsInCusts", "Customers", "Vendors", "psd", "RuKuDan", "RuKuMx", "DiaoBoDan", "DiaoBoMx",
                              "ChuKuDan", "ChuKuMx", "Invoices", "InvoiceMx", "UserInfo"}) {
        QSqlQuery q = db.query(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table)));
        q.exec();
        out += QLatin1String(table) + QLatin1Char('\n');
        while (q.next()) {
            for (int i = 0; i < q.record().count(); ++i)
                out += q.value(i).toString() + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
    }
    return out;
}

QJsonObject answer(const QString &line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

/// The first answer of `o` that is not ok, or an empty text when all are.
QString firstFailure(const test::CliOutput &o)
{
    for (const QString &line : o.out.split('\n', Qt::SkipEmptyParts))
        if (!answer(line).value("ok").toBool())
            return line;
    return o.code == 0 ? QString() : o.err;
}

} // namespace

class TestExecValues : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refused_data();
    void refused();
    void carryForwardIsThePeriodClose();
    void purgeKeepsAmounts();
    void lastAdministratorStays();

private:
    QTemporaryDir m_dir;
    QString m_books;
};

void TestExecValues::initTestCase()
{
    // Goods 1..3, vendors 1 and 2, customer 1; a stock-in bill with an invoice, a delivery.
    m_books = m_dir.filePath("books.xb");
    QCOMPARE(cli({"new", m_books}).code, 0);
    const QByteArray setup = R"({"op":"add","table":"Units","values":{"UnitID":1,"Unit":"个"}}
{"op":"add","table":"Goods","values":{"Description":"矿泉水","UnitID":1}}
{"op":"add","table":"Goods","values":{"Description":"绿茶","UnitID":1}}
{"op":"add","table":"Goods","values":{"Description":"可乐","UnitID":1}}
{"op":"add","table":"Vendors","values":{"VendorName":"天山饮品"}}
{"op":"add","table":"Vendors","values":{"VendorName":"昆仑山"}}
{"op":"add","table":"Customers","values":{"CustName":"禾木便利店"}}
{"op":"bill","kind":1,"party":1,"date":"2026-03-02","lines":[{"goods":1,"qty":10,"price":2.5}]}
{"op":"invoice","bill":1,"number":"F-1","lines":"copy"}
{"op":"bill","kind":2,"party":1,"date":"2026-03-03","lines":[{"goods":1,"qty":4,"price":3}]}
{"op":"bill","kind":1,"party":2,"date":"2026-03-04","lines":[{"goods":2,"qty":3,"price":2}]}
)";
    const QString failed = firstFailure(cli({"exec", m_books}, setup));
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

void TestExecValues::refused_data()
{
    QTest::addColumn<QByteArray>("op");
    QTest::addColumn<QString>("why");
    const QString notNumber = BillValues::notANumberText("\"qty\"");
    const QString notId = BillValues::notAnIdText("\"goods\"");
    QTest::newRow("qty a text") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":"5","price":1})") << notNumber;
    QTest::newRow("qty true") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":true,"price":1})") << notNumber;
    QTest::newRow("qty a list") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":[5],"price":1})") << notNumber;
    QTest::newRow("qty null") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":null,"price":1})") << notNumber;
    QTest::newRow("price a text") << QByteArray(R"({"op":"line","kind":2,"bill":1,"goods":2,"qty":1,"price":"abc"})")
                                  << BillValues::notANumberText("\"price\"");
    QTest::newRow("goods a fraction") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":1.5,"qty":1,"price":1})") << notId;
    QTest::newRow("goods beyond range") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":4294967298,"qty":1,"price":1})")
                                        << notId;
    QTest::newRow("goods 999") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":999,"qty":1,"price":1})")
                               << BillGuard::goodsMissingText(999);
    QTest::newRow("goods -1") << QByteArray(R"({"op":"line","kind":2,"bill":1,"goods":-1,"qty":1,"price":1})")
                              << BillGuard::goodsMissingText(-1);
    QTest::newRow("qty 1e39") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":1e39,"price":1})")
                              << BillValues::tooLargeText();
    QTest::newRow("price 1e308") << QByteArray(R"({"op":"line","kind":2,"bill":1,"goods":2,"qty":1,"price":1e308})")
                                 << BillValues::tooLargeText();
    QTest::newRow("amount 3.4e38 x 2") << QByteArray(R"({"op":"line","kind":1,"bill":1,"goods":2,"qty":3.4e38,"price":2})")
                                       << BillValues::tooLargeText();
    QTest::newRow("edit-line to goods 999") << QByteArray(R"({"op":"edit-line","kind":2,"bill":1,"item":1,"goods":999})")
                                            << BillGuard::goodsMissingText(999);
    QTest::newRow("edit-line qty a text") << QByteArray(R"({"op":"edit-line","kind":2,"bill":1,"item":1,"qty":"7"})") << notNumber;
    QTest::newRow("delivery to no customer") << QByteArray(R"({"op":"bill","kind":2,"party":99,"date":"2026-03-05"})")
                                             << BillGuard::partyMissingText(BillKind::Delivery, 99);
    QTest::newRow("delivery to a vendor") << QByteArray(R"({"op":"bill","kind":2,"party":2,"date":"2026-03-05"})")
                                          << BillGuard::partyMissingText(BillKind::Delivery, 2);
    QTest::newRow("party a fraction") << QByteArray(R"({"op":"bill","kind":3,"party":1.5,"date":"2026-03-05"})")
                                      << BillValues::notAnIdText("\"party\"");
    QTest::newRow("stock-in from no vendor") << QByteArray(R"({"op":"set-party","kind":1,"bill":1,"party":99})")
                                             << BillGuard::partyMissingText(BillKind::StockIn, 99);
    QTest::newRow("date empty") << QByteArray(R"({"op":"bill","kind":1,"party":1,"date":"","lines":[{"goods":2,"qty":1,"price":1}]})")
                                << BillValues::badDateText();
    QTest::newRow("date null") << QByteArray(R"({"op":"bill","kind":2,"party":1,"date":null,"lines":[{"goods":2,"qty":1,"price":1}]})")
                               << BillValues::badDateText();
    QTest::newRow("date digits") << QByteArray(R"({"op":"bill","kind":1,"party":1,"date":"20261201"})") << "日期";
    QTest::newRow("date before year 1") << QByteArray(R"({"op":"bill","kind":1,"party":1,"date":"-0001-01-01"})") << "日期";
    QTest::newRow("recalc from 2026-3-1") << QByteArray(R"({"op":"recalc","start":"2026-3-1","end":"2026-12-31"})")
                                          << BillValues::badDateText();
    QTest::newRow("recalc to 2026-02-30") << QByteArray(R"({"op":"recalc","start":"2026-01-01","end":"2026-02-30"})")
                                          << BillValues::badDateText();
    QTest::newRow("goods code in use") << QByteArray(R"({"op":"update","table":"Goods","id":1,"values":{"GoodID":9}})")
                                       << MasterGuard::keyInUseText();
    QTest::newRow("customer code in use") << QByteArray(R"({"op":"update","table":"Customers","id":1,"values":{"CustID":9}})")
                                          << MasterGuard::keyInUseText();
    QTest::newRow("vendor code in use") << QByteArray(R"({"op":"update","table":"Vendors","id":1,"values":{"VendorID":9}})")
                                        << MasterGuard::keyInUseText();
    QTest::newRow("goods movement counter") << QByteArray(R"({"op":"update","table":"Goods","id":1,"values":{"HandInc":99}})")
                                            << "只读";
    QTest::newRow("goods sold counter") << QByteArray(R"({"op":"update","table":"Goods","id":2,"values":{"SoldMny":5}})") << "只读";
    QTest::newRow("opening balance null") << QByteArray(R"({"op":"update","table":"Goods","id":1,"values":{"PrevOnHand":null}})")
                                          << MasterGuard::emptyOpeningBalanceText();
    QTest::newRow("delete the logged-in user") << QByteArray(R"({"op":"delete","table":"psd","id":1})")
                                               << MasterGuard::currentUserText();
    QTest::newRow("invoice with a bad line")
        << QByteArray(R"({"op":"invoice","bill":2,"number":"F-3","lines":[{"goods":2,"qty":3,"price":2},{"goods":2,"qty":"x","price":2}]})")
        << notNumber;
    QTest::newRow("second invoice") << QByteArray(R"({"op":"invoice","bill":1,"number":"F-2","lines":"copy"})")
                                    << InvoiceEntry::alreadyInvoicedText();
}

void TestExecValues::refused()
{
    QFETCH(QByteArray, op);
    QFETCH(QString, why);
    const QString file = m_dir.filePath(QStringLiteral("try-%1.xb").arg(QTest::currentDataTag()));
    QVERIFY(QFile::copy(m_books, file));
    const QString before = contents(file);
    const Output o = cli({"exec", file}, op + '\n');
    QCOMPARE(o.code, 0);
    const QJsonObject a = answer(o.out.trimmed());
    QVERIFY2(!a.value("ok").toBool(true), qPrintable(o.out));
    const QString said = a.value("error").toString() + QLatin1Char('|')
        + a.value("messages").toArray().toVariantList().value(0).toString();
    QVERIFY2(said.contains(why), qPrintable(o.out));
    QVERIFY2(!said.contains("constraint failed"), qPrintable(o.out));
    QCOMPARE(contents(file), before);
    QCOMPARE(cli({"check", file}).code, 0);
}

void TestExecValues::carryForwardIsThePeriodClose()
{
    const QString file = m_dir.filePath("carry.xb");
    QVERIFY(QFile::copy(m_books, file));
    const QDate today = QDate::currentDate();
    const QByteArray ops = R"({"op":"carry-forward"}
{"op":"bill","kind":1,"party":1,"date":")" + isoDateText(today).toLatin1() + R"("}
)";
    const Output o = cli({"exec", file}, ops);
    QCOMPARE(o.code, 0);
    const QStringList answers = o.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(answers.size(), 2);
    QVERIFY2(answer(answers[0]).value("ok").toBool(), qPrintable(answers[0]));
    QVERIFY(answers[0].contains("结转完毕！"));
    {
        Database db;
        QVERIFY(db.open(file));
        QCOMPARE(parseStoredDate(db.scalar("SELECT 结转时间 FROM UserInfo").toString()), today);
        QCOMPARE(db.scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 0.0);
        QCOMPARE(db.scalar("SELECT PrevOnHand FROM Goods WHERE GoodID = 1").toDouble(), 6.0);
    }
    // The books check holds right after it, and a bill dated on the carry-forward day is
    // refused naming that day.
    QCOMPARE(cli({"check", file}).code, 0);
    QVERIFY(!answer(answers[1]).value("ok").toBool(true));
    QVERIFY2(answers[1].contains(BillValues::closedPeriodText(today)), qPrintable(answers[1]));
}

void TestExecValues::purgeKeepsAmounts()
{
    // Two deliveries, 5 @ 1 and -5 @ 2, leave the customer no quantity but -5 in money.
    const QString file = m_dir.filePath("purge.xb");
    QVERIFY(QFile::copy(m_books, file));
    const QByteArray ops = R"({"op":"bill","kind":2,"party":1,"date":"2026-03-05","lines":[{"goods":3,"qty":5,"price":1}]}
{"op":"bill","kind":2,"party":1,"date":"2026-03-06","lines":[{"goods":3,"qty":-5,"price":2}]}
{"op":"purge-idle"}
)";
    const QString failed = firstFailure(cli({"exec", file}, ops));
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QCOMPARE(cli({"check", file}).code, 0);
    Database db;
    QVERIFY(db.open(file));
    QCOMPARE(db.scalar("SELECT HandIncMny FROM GoodsInCusts WHERE GoodID = 3 AND CustID = 1").toDouble(), -5.0);
}

void TestExecValues::lastAdministratorStays()
{
    const QString file = m_dir.filePath("users.xb");
    QVERIFY(QFile::copy(m_books, file));
    const QByteArray setup = R"({"op":"add","table":"Employees","values":{"EmpID":2,"Employee":"王五"}}
{"op":"add","table":"psd","values":{"UserID":2,"Password":"pw","RoleID":1}}
)";
    const QString failed = firstFailure(cli({"exec", file}, setup));
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    // A manager logged in cannot delete the only administrator: nobody could manage rights.
    const Output o = cli({"exec", file, "--user", "2", "--password", "pw"}, "{\"op\":\"delete\",\"table\":\"psd\",\"id\":1}\n");
    QCOMPARE(o.code, 0);
    const QJsonObject a = answer(o.out.trimmed());
    QVERIFY(!a.value("ok").toBool(true));
    QCOMPARE(a.value("messages").toArray().toVariantList().value(0).toString(), MasterGuard::lastAdministratorText());
    Database db;
    QVERIFY(db.open(file));
    QCOMPARE(db.scalar("SELECT count(*) FROM psd").toInt(), 2);
}

QTEST_GUILESS_MAIN(TestExecValues)
#include "test_execvalues.moc"
