// Putting the number display format together and storing it in the account set.
#include "core/admin/displayformatchoice.h"
#include "core/db/database.h"
#include "core/format/numberformat.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestDisplayFormatChoice : public QObject
{
    Q_OBJECT
private slots:
    void build_data();
    void build();
    void shows_data();
    void shows();
    void storeWritesTheFirstRow();
};

void TestDisplayFormatChoice::build_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("positive");
    QTest::addColumn<QString>("negative");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("error");
    QTest::newRow("2 decimals, no texts") << 2 << "" << "" << "0.00;'-'0.00;#.##" << "";
    QTest::newRow("0 decimals") << 0 << "" << "" << "#;'-'#;#" << "";
    QTest::newRow("texts, trimmed") << 1 << " 正 " << "负 " << "'正'0.0;'负'0.0;#.#" << "";
    QTest::newRow("4 decimals") << 4 << "" << "" << "0.0000;'-'0.0000;#.####" << "";
    QTest::newRow("no decimals chosen") << -1 << "" << "" << "" << DisplayFormatChoice::noDecimalsText();
    QTest::newRow("quote in a text") << 2 << "O'K" << "" << "" << DisplayFormatChoice::quoteText();
    QTest::newRow("longer than the column") << 4 << QString(30, QChar(0x6b63)) << "" << "" << DisplayFormatChoice::tooLongText();
}

void TestDisplayFormatChoice::build()
{
    QFETCH(int, decimals);
    QFETCH(QString, positive);
    QFETCH(QString, negative);
    QFETCH(QString, format);
    QFETCH(QString, error);
    QString why;
    QCOMPARE(DisplayFormatChoice::build(decimals, positive, negative, &why), format);
    QCOMPARE(why, error);
}

void TestDisplayFormatChoice::shows_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("two decimals") << "0.00;'-'0.00;#.##" << 12.345 << "12.35";
    QTest::newRow("negative with the sign text") << "0.00;'-'0.00;#.##" << -5.0 << "-5.00";
    QTest::newRow("zero is blank") << "0.00;'-'0.00;#.##" << 0.0 << "";
    QTest::newRow("positive text") << "'正'0.0;'负'0.0;#.#" << 12.34 << "正12.3";
    QTest::newRow("negative text instead of the sign") << "'正'0.0;'负'0.0;#.#" << -5.0 << "负5.0";
    QTest::newRow("no decimals") << "#;'-'#;#" << 7.6 << "8";
}

void TestDisplayFormatChoice::shows()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatFloat(format, value), text);
}

void TestDisplayFormatChoice::storeWritesTheFirstRow()
{
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QString error;
    QVERIFY(DisplayFormatChoice::store(db, "0.0;'-'0.0;#.#", &error));
    QCOMPARE(db.scalar("SELECT group_concat(DataFormat, '|') FROM DisplayStyle").toString(), QStringLiteral("0.0;'-'0.0;#.#"));
    // A set without the row gets one; a second store changes it, adds none.
    QVERIFY(db.exec("DELETE FROM DisplayStyle"));
    QVERIFY(DisplayFormatChoice::store(db, "#;'-'#;#", &error));
    QVERIFY(DisplayFormatChoice::store(db, "0.00;'-'0.00;#.##", &error));
    QCOMPARE(db.scalar("SELECT group_concat(DataFormat, '|') FROM DisplayStyle").toString(), QStringLiteral("0.00;'-'0.00;#.##"));
}

QTEST_MAIN(TestDisplayFormatChoice)
#include "test_displayformatchoice.moc"
