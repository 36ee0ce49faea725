// The printer settings' names, the settings list and the custom paper's rules.
#include "core/reports/printersettings.h"

#include <QtTest>

using namespace hemu::printing;

class TestPrinterSettings : public QObject
{
    Q_OBJECT
private slots:
    void paperNames_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "DMPAPER_LETTER";
        QTest::newRow("1") << 1 << "Letter 8 1/2 x 11 in";
        QTest::newRow("9") << 9 << "A4 210 x 297 mm";
        QTest::newRow("11") << 11 << "A5 148 x 210 mm";
        QTest::newRow("19") << 19 << "Envelope #9 3 7/8 x 8 7/8";
        QTest::newRow("47") << 47 << "Envelope Invite 220 x 220 mm";
        QTest::newRow("48") << 48 << "RESERVED--DO NOT USE";
        QTest::newRow("49") << 49 << "RESERVED--DO NOT USE";
        QTest::newRow("50") << 50 << "Letter Extra 9 1/2 x 12 in";
        QTest::newRow("70") << 70 << "A6 105 x 148 mm";
        QTest::newRow("93") << 93 << "PRC 16K 146 x 215 mm";
        QTest::newRow("118") << 118 << "PRC Envelope #10 Rotated 458 x 324 mm";
        QTest::newRow("119") << 119 << "";
        QTest::newRow("255") << 255 << "";
        QTest::newRow("256") << 256 << "定制纸型(Custom)";
        QTest::newRow("257") << 257 << "";
        QTest::newRow("-1") << -1 << "";
    }

    void paperNames()
    {
        QFETCH(int, number);
        QFETCH(QString, name);
        QCOMPARE(paperSizeName(number), name);
    }

    void settingsList_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("qualityLine");
        QTest::newRow("300 dpi") << 300 << "";
        QTest::newRow("draft") << -1 << "打印品质:草稿";
        QTest::newRow("high") << -4 << "打印品质:高";
    }

    void settingsList()
    {
        QFETCH(int, quality);
        QFETCH(QString, qualityLine);
        DeviceSettings s;
        s.device = QStringLiteral("PDF");
        s.driver = QStringLiteral("Generic PDF");
        s.port = QStringLiteral("办公室");
        s.handle = 1;
        s.specVersion = QStringLiteral("6.4.2");
        s.orientation = 1;
        s.paperSize = 9;
        s.paperLength = 2970;
        s.paperWidth = 2100;
        s.printQuality = quality;
        s.yResolution = 300;
        s.pixelWidth = 2480;
        s.pixelHeight = 3508;
        QStringList expected{"设备：PDF", "驱动程序：Generic PDF", "端口：办公室", "设备句柄号：1", "版本号:6.4.2", "驱动版本号",
                             "-----", "打印方向：纵向", "纸型:A4 210 x 297 mm", "纸长:2970", "纸宽:2100", "缩放率100"};
        if (!qualityLine.isEmpty())
            expected << qualityLine;
        expected << QStringLiteral("x分辨率:%1").arg(quality) << "y分辨率:300" << "-----" << "纸宽点数:2480" << "纸高点数:3508";
        QCOMPARE(settingsLines(s, 5), expected);
    }

    void names()
    {
        QCOMPARE(orientationName(1), QStringLiteral("纵向"));
        QCOMPARE(orientationName(2), QStringLiteral("横向"));
        QCOMPARE(orientationName(3), QString());
        QCOMPARE((QStringList{qualityName(-4), qualityName(-3), qualityName(-2), qualityName(-1), qualityName(0), qualityName(-5)}),
                 (QStringList{"高", "中", "低", "草稿", "", ""}));
        QCOMPARE(confirmQuestion(PrintMode::Default), QStringLiteral("使用默认设置打印。"));
        QCOMPARE(confirmQuestion(PrintMode::Standard), QStringLiteral("使用标准设置打印。"));
        QCOMPARE(confirmQuestion(PrintMode::Custom), QStringLiteral("使用定制设置打印。"));
    }

    void customPaper_data()
    {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("width");
        QTest::addColumn<int>("quality");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QList<int>>("values"); // length, width, x, y
        QTest::newRow("proposal") << "940" << "2000" << 0 << true << QList<int>{940, 2000, 180, 180};
        QTest::newRow("blanks removed") << " 9 4 0" << "2000 " << 1 << true << QList<int>{940, 2000, 120, 180};
        QTest::newRow("360") << "1" << "99999" << 2 << true << QList<int>{1, 99999, 360, 360};
        QTest::newRow("empty length") << "" << "2000" << 0 << false << QList<int>{};
        QTest::newRow("blank width") << "940" << "   " << 0 << false << QList<int>{};
        QTest::newRow("zero") << "000" << "2000" << 0 << false << QList<int>{};
        QTest::newRow("negative") << "-5" << "2000" << 0 << false << QList<int>{};
        QTest::newRow("not a number") << "9x" << "2000" << 0 << false << QList<int>{};
    }

    void customPaper()
    {
        QFETCH(QString, length);
        QFETCH(QString, width);
        QFETCH(int, quality);
        QFETCH(bool, accepted);
        QFETCH(QList<int>, values);
        QString refusal;
        const auto paper = hemu::printing::customPaper(length, width, quality, &refusal);
        QCOMPARE(bool(paper), accepted);
        if (!accepted) {
            QCOMPARE(refusal, QStringLiteral("输入不能为零。"));
            return;
        }
        QCOMPARE((QList<int>{paper->length, paper->width, paper->xResolution, paper->yResolution}), values);
        QCOMPARE(qualityChoices().at(quality).text, (QStringList{"180x180点/英寸", "120x180点/英寸", "360x360点/英寸"}).at(quality));
    }
};

QTEST_GUILESS_MAIN(TestPrinterSettings)
#include "test_printersettings.moc"
