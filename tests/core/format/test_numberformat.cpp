// Numeric display patterns and the date texts the program writes and reads.
#include "core/format/datetext.h"
#include "core/format/numberformat.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace hemu;

class TestNumberFormat : public QObject
{
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void variants_data();
    void variants();
    void parsedOnceFormatsMany();
    void dateTexts();
    void parseStored_data();
    void parseStored();
};

void TestNumberFormat::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const QString &pattern, double value, const QString &expected) {
        QTest::newRow(name) << pattern << value << expected;
    };

    // The display-format window's choices and its worked examples.
    const QString twoDecimals = QStringLiteral("0.00;'-'0.00;#.##");
    row("2 decimals positive", twoDecimals, 12.345, "12.35");
    row("2 decimals negative uses its section", twoDecimals, -3.5, "-3.50");
    row("2 decimals zero blank", twoDecimals, 0, "");
    row("2 decimals 1234.5", twoDecimals, 1234.5, "1234.50");
    const QString noDecimals = QStringLiteral("#;'-'#;#");
    row("0 decimals positive", noDecimals, 5, "5");
    row("0 decimals rounds", noDecimals, 4.5, "5");
    row("0 decimals negative", noDecimals, -5, "-5");
    row("0 decimals zero blank", noDecimals, 0, "");
    row("0 decimals rounds to zero blank", noDecimals, 0.4, "");
    row("0 decimals negative rounds to zero blank", noDecimals, -0.4, "");
    row("1 decimal", "0.0;'-'0.0;#.#", 2.25, "2.3");
    row("3 decimals", "0.000;'-'0.000;#.###", -1.5, "-1.500");
    row("4 decimals", "0.0000;'-'0.0000;#.####", 3.14159265, "3.1416");
    row("4 decimals zero blank", "0.0000;'-'0.0000;#.####", 0, "");
    const QString texts = QStringLiteral("'正'0.0;'负'0.0;#.#");
    row("positive text", texts, 12.34, "正12.3");
    row("negative text replaces the sign", texts, -5, "负5.0");
    row("texts zero blank", texts, 0, "");

    // Field and report formats.
    const QString counter = QStringLiteral("0.0#;'-'0.0#;#.##");
    row("counter one decimal", counter, 3, "3.0");
    row("counter two decimals", counter, 3.25, "3.25");
    row("counter negative", counter, -1.5, "-1.5");
    row("counter zero blank", counter, 0, "");
    row("counter rounds to zero blank", counter, -0.001, "");
    row("goods counter zero '#'", "0.0#;'-'0.0#;#", 0, "");
    row("goods counter value", "0.0#;'-'0.0#;#", 12.5, "12.5");
    row("difference zero shows 0", "0.0#;'-'0.0#;0.##", 0, "0");
    row("difference negative", "0.0#;'-'0.0#;0.##", -2, "-2.0");
    row("empty negative section: minus added", "0.0#;", -3.25, "-3.25");
    row("empty negative section: zero uses first", "0.0#;", 0, "0.0");
    row("empty negative section: positive", "0.0#;", 3, "3.0");
    row("mask 0.0# whole", "0.0#", 12, "12.0");
    row("mask 0.0# two decimals", "0.0#", 12.35, "12.35");
    row("mask 0.0# zero", "0.0#", 0, "0.0");
    row("mask 0.0# one section negative", "0.0#", -12.5, "-12.5");
    const QString report = QStringLiteral("0.##;-0.##;#.##");
    row("report mask whole", report, 3, "3");
    row("report mask unquoted minus", report, -2.5, "-2.5");
    row("report mask zero blank", report, 0, "");
    row("report mask fraction", report, 0.25, "0.25");
    row("two decimals always", "0.00", 1234.5, "1234.50");
    row("two decimals always zero", "0.00", 0, "0.00");
    row("payables rest", "0.00;'-'0.00;#", 70, "70.00");
    row("payables rest zero blank", "0.00;'-'0.00;#", 0, "");
    row("receivables total positive", "0.##;'-'0.00;#.##", 3, "3");
    row("receivables total negative", "0.##;'-'0.00;#.##", -3, "-3.00");
    row("quantity", "0.##;'-'0.##;#.##", -0.5, "-0.5");
    row("tax rate", "#.##", 17, "17");
    row("tax rate zero blank", "#.##", 0, "");
    row("tax rate below one", "#.##", 0.5, ".5");
    row("bill total", "#.00", 1234.5, "1234.50");
    row("bill total below one", "#.00", 0.5, ".50");
    row("bill total zero", "#.00", 0, ".00");
    row("chart values", "#,##0.##", 1234567.891, "1,234,567.89");
    row("chart values zero", "#,##0.##", 0, "0");

    // Rounding: half away from zero on the decimal digits, not on the binary value.
    row("1.005", "0.00", 1.005, "1.01");
    row("2.675", "0.00", 2.675, "2.68");
    row("0.125", "0.00", 0.125, "0.13");
    row("-0.125", "0.00", -0.125, "-0.13");
    row("-0.125 own section", "0.00;'-'0.00", -0.125, "-0.13");
    row("product noise 0.7*1.5", "0.0", 0.7 * 1.5, "1.1");
    row("single precision widened", "0.0", double(12.35f), "12.4");
    row("just below half", "0.00", 1.00499999, "1.00");
    row("carry into a new digit", "0.00", 9.995, "10.00");
    row("carry from the fraction", "0.00", 0.995, "1.00");
    row("carry with grouping", "#,##0", 999.5, "1,000");
    row("half to integer", "0", 0.5, "1");
    row("negative half to integer", "0", -0.5, "-1");
    row("below half to zero", "0", 0.49, "0");
    row("negative rounds to zero has no minus", "0.00", -0.001, "0.00");
    row("positive rounds to zero uses zero section", twoDecimals, 0.004, "");
    row("rounds up out of zero", twoDecimals, 0.005, "0.01");
    row("negative section decimals decide", "0.##;'-'0;#", -0.4, "");
    row("positive section decimals decide", "0.##;'-'0;#", 0.4, "0.4");
    row("tiny", "0.00", 1e-300, "0.00");
    row("many decimals", "0.0000000000", 1.0 / 3.0, "0.3333333333");
    row("third", "0.0#", 2.0 / 3.0, "0.67");

    // Large numbers: exact to fifteen significant digits, never in exponent form.
    row("1e15", "0.00", 1e15, "1000000000000000.00");
    row("twelve integer digits", "0.00", 123456789012.345, "123456789012.35");
    row("beyond fifteen digits", "0", 12345678901234567.0, "12345678901234600");
    row("1e20 grouped", "#,##0", 1e20, "100,000,000,000,000,000,000");
    row("-1e20 own section", counter, -1e20, "-100000000000000000000.0");

    // Thousands separators.
    row("grouped 1234.5", "#,##0.00", 1234.5, "1,234.50");
    row("grouped 999", "#,##0.00", 999, "999.00");
    row("grouped 1000", "#,##0.00", 1000, "1,000.00");
    row("grouped 100000", "#,##0.00", 100000, "100,000.00");
    row("grouped below one", "#,##0.00", 0.5, "0.50");
    row("grouped short pattern", "#,#", 1234, "1,234");
    row("grouped negative first section", "#,##0", -1234567, "-1,234,567");
    row("grouped negative section", "#,##0;'-'#,##0", -1234567, "-1,234,567");

    // Literals and placeholders.
    row("quoted suffix", "0.00'元'", 5, "5.00元");
    row("double-quoted prefix", "\"$\"0.00", 5, "$5.00");
    row("minus before a prefix", "'$'0.00", -5, "-$5.00");
    row("bare literal text", "0.00 kg", 5, "5.00 kg");
    row("quoted semicolon does not split", "'a;b'0", 5, "a;b5");
    row("quoted placeholder is text", "0.0'#'", 5, "5.0#");
    row("brackets for negatives", "0.00;'('0.00')'", -5, "(5.00)");
    row("unclosed quote", "0'abc", 5, "5abc");
    row("forced integer digits", "000", 5, "005");
    row("optional before forced", "#0.0", 0.5, "0.5");
    row("two forced integer digits", "00.##", 5.5, "05.5");
    row("literal between integer digits", "0-00", 12345, "123-45");
    row("literal between padded digits", "0-00", 5, "0-05");
    row("no integer placeholder", ".00", 12.5, "12.50");
    row("no integer placeholder below one", ".00", 0.5, ".50");
    row("point without decimals", "0.", 5.5, "6");
    row("second point ignored", "0.0.0", 1.234, "1.23");
    row("literal only", "'-'", 5, "-");
    row("literal only zero", "'-'", 0, "-");
    row("literal only negative gets the sign", "'-'", -5, "--");

    // Sections.
    row("zero section literal", "0;-0;'零'", 0, "零");
    row("zero section after rounding", "0;-0;'零'", 0.4, "零");
    row("negative zero is zero", "0.00;'-'0.00;'z'", -0.0, "z");
    row("empty sections fall back to first", "0.0#;;", -2, "-2.0");
    row("empty third section falls back to first", "0.0#;'-'0.0#;", 0, "0.0");
    row("fourth section ignored", "0;'-'0;'zero';'extra'", 0, "zero");
    row("empty first section: default display", ";'-'0.00", 1.5, "1.5");
    row("empty first section: negative section", ";'-'0.00", -1.5, "-1.50");
    row("empty first section: zero", ";'-'0.00", 0, "0");

    // No pattern: the natural text of the number.
    row("default", "", 1234.5, "1234.5");
    row("default binary noise", "", 0.1 + 0.2, "0.3");
    row("default negative", "", -2, "-2");
    row("default negative zero", "", -0.0, "0");
    row("default third", "", 1.0 / 3.0, "0.333333333333333");
    row("default large", "", 1e20, "1e+20");
    row("not finite", "0.00", std::numeric_limits<double>::infinity(), "inf");
    row("not a number", "0.00", std::nan(""), "nan");
}

void TestNumberFormat::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(pattern).format(value), expected);
    QCOMPARE(formatFloat(pattern, value), expected);
}

void TestNumberFormat::variants_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("invalid") << "0.00" << QVariant() << "";
    QTest::newRow("null double") << "0.00" << QVariant(QMetaType(QMetaType::Double)) << "";
    QTest::newRow("null with zero literal") << "0;-0;'零'" << QVariant(QMetaType(QMetaType::Double)) << "";
    QTest::newRow("null without pattern") << "" << QVariant() << "";
    QTest::newRow("double") << "0.00" << QVariant(2.5) << "2.50";
    QTest::newRow("integer") << "0.00" << QVariant(3) << "3.00";
    QTest::newRow("long long") << "#,##0" << QVariant(qlonglong(1234567)) << "1,234,567";
    QTest::newRow("numeric text") << "0.00" << QVariant(QStringLiteral("2.5")) << "2.50";
    QTest::newRow("other text kept") << "0.00" << QVariant(QStringLiteral("abc")) << "abc";
    QTest::newRow("zero through variant") << "0.00;'-'0.00;#.##" << QVariant(0.0) << "";
}

void TestNumberFormat::variants()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(pattern).format(value), expected);
}

void TestNumberFormat::parsedOnceFormatsMany()
{
    const NumberFormat empty;
    QVERIFY(empty.isEmpty());
    QCOMPARE(empty.pattern(), QString());
    QCOMPARE(empty.format(2.5), QStringLiteral("2.5"));

    const NumberFormat format(QStringLiteral("0.0#;'-'0.0#;#.##"));
    QVERIFY(!format.isEmpty());
    QCOMPARE(format.pattern(), QStringLiteral("0.0#;'-'0.0#;#.##"));
    const NumberFormat copy = format;
    QStringList texts;
    for (double v : {1.0, -1.0, 0.0, 2.345, -0.001})
        texts << copy.format(v);
    QCOMPARE(texts, QStringList({"1.0", "-1.0", "", "2.35", ""}));
}

void TestNumberFormat::dateTexts()
{
    QCOMPARE(billDateText(QDate(2026, 5, 9)), QStringLiteral("2026-5-9"));
    QCOMPARE(billDateText(QDate(2026, 12, 31)), QStringLiteral("2026-12-31"));
    QCOMPARE(billDateText(QDate()), QString());
    QCOMPARE(isoDateText(QDate(2026, 5, 9)), QStringLiteral("2026-05-09"));
    QCOMPARE(isoDateText(QDate(987, 1, 2)), QStringLiteral("0987-01-02"));
    QCOMPARE(isoDateText(QDate()), QString());
    QCOMPARE(isoDateTimeText(QDateTime(QDate(2026, 5, 9), QTime(4, 3, 7))),
             QStringLiteral("2026-05-09 04:03:07"));
    QCOMPARE(isoDateTimeText(QDateTime()), QString());

    // What is written reads back the same.
    const QDateTime stamp(QDate(2026, 1, 31), QTime(23, 59, 58));
    QCOMPARE(parseStoredDateTime(isoDateTimeText(stamp)), stamp);
    QCOMPARE(parseStoredDate(isoDateText(stamp.date())), stamp.date());
    QCOMPARE(parseStoredDate(billDateText(stamp.date())), stamp.date());
}

void TestNumberFormat::parseStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time"); // the time of the parsed date and time

    const QDate may9(2026, 5, 9);
    const QTime midnight(0, 0);
    QTest::newRow("date") << "2026-05-09" << may9 << midnight;
    QTest::newRow("one-digit parts") << "2026-5-9" << may9 << midnight;
    QTest::newRow("date and time") << "2026-05-09 14:03:07" << may9 << QTime(14, 3, 7);
    QTest::newRow("ISO T") << "2026-05-09T14:03:07" << may9 << QTime(14, 3, 7);
    QTest::newRow("no seconds") << "2026-05-09 14:03" << may9 << QTime(14, 3);
    QTest::newRow("one-digit hour") << "2026-05-09 4:03:00" << may9 << QTime(4, 3);
    QTest::newRow("milliseconds") << "2026-05-09 14:03:07.123" << may9 << QTime(14, 3, 7, 123);
    QTest::newRow("tenths") << "2026-05-09 14:03:07.5" << may9 << QTime(14, 3, 7, 500);
    QTest::newRow("microseconds dropped") << "2026-05-09 14:03:07.123456" << may9 << QTime(14, 3, 7, 123);
    QTest::newRow("blanks around") << "  2026-05-09 \n" << may9 << midnight;
    QTest::newRow("leap day") << "2024-02-29" << QDate(2024, 2, 29) << midnight;

    QTest::newRow("empty") << "" << QDate() << QTime();
    QTest::newRow("blank") << "   " << QDate() << QTime();
    QTest::newRow("impossible day") << "2026-02-30" << QDate() << QTime();
    QTest::newRow("not a leap year") << "2026-02-29" << QDate() << QTime();
    QTest::newRow("month 13") << "2026-13-01" << QDate() << QTime();
    QTest::newRow("other order") << "09/05/2026" << QDate() << QTime();
    QTest::newRow("two-digit year") << "26-5-9" << QDate() << QTime();
    QTest::newRow("trailing text") << "2026-05-09x" << QDate() << QTime();
    QTest::newRow("hour 25") << "2026-05-09 25:00:00" << QDate() << QTime();
    QTest::newRow("hour alone") << "2026-05-09 14" << QDate() << QTime();
    QTest::newRow("three-digit month") << "2026-005-09" << QDate() << QTime();
    QTest::newRow("full-width digits") << "２０２６-05-09" << QDate() << QTime();
}

void TestNumberFormat::parseStored()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QCOMPARE(parseStoredDate(text), date);
    const QDateTime dateTime = parseStoredDateTime(text);
    QCOMPARE(dateTime.isValid(), date.isValid());
    if (date.isValid()) {
        QCOMPARE(dateTime.date(), date);
        QCOMPARE(dateTime.time(), time);
    }
}

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "test_numberformat.moc"
