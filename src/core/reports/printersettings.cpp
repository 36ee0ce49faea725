#include "core/reports/printersettings.h"

#include <algorithm>

namespace hemu::printing {

namespace {

/// Paper sizes 1 to 118 in the order of their numbers.
const char *const kPaperNames[] = {
    "Letter 8 1/2 x 11 in", // 1
    "Letter Small 8 1/2 x 11 in", // 2
    "Tabloid 11 x 17 in", // 3
    "Ledger 17 x 11 in", // 4
    "Legal 8 1/2 x 14 in", // 5
    "Statement 5 1/2 x 8 1/2 in", // 6
    "Executive 7 1/4 x 10 1/2 in", // 7
    "A3 297 x 420 mm", // 8
    "A4 210 x 297 mm", // 9
    "A4 Small 210 x 297 mm", // 10
    "A5 148 x 210 mm", // 11
    "B4 (JIS) 250 x 354", // 12
    "B5 (JIS) 182 x 257 mm", // 13
    "Folio 8 1/2 x 13 in", // 14
    "Quarto 215 x 275 mm", // 15
    "10x14 in", // 16
    "11x17 in", // 17
    "Note 8 1/2 x 11 in", // 18
    "Envelope #9 3 7/8 x 8 7/8", // 19
    "Envelope #10 4 1/8 x 9 1/2", // 20
    "Envelope #11 4 1/2 x 10 3/8", // 21
    "Envelope #12 4 3/4 x 11", // 22
    "Envelope #14 5 x 11 1/2", // 23
    "C size sheet", // 24
    "D size sheet", // 25
    "E size sheet", // 26
    "Envelope DL 110 x 220mm", // 27
    "Envelope C5 162 x 229 mm", // 28
    "Envelope C3  324 x 458 mm", // 29
    "Envelope C4  229 x 324 mm", // 30
    "Envelope C6  114 x 162 mm", // 31
    "Envelope C65 114 x 229 mm", // 32
    "Envelope B4  250 x 353 mm", // 33
    "Envelope B5  176 x 250 mm", // 34
    "Envelope B6  176 x 125 mm", // 35
    "Envelope 110 x 230 mm", // 36
    "Envelope Monarch 3.875 x 7.5 in", // 37
    "6 3/4 Envelope 3 5/8 x 6 1/2 in", // 38
    "US Std Fanfold 14 7/8 x 11 in", // 39
    "German Std Fanfold 8 1/2 x 12 in", // 40
    "German Legal Fanfold 8 1/2 x 13 in", // 41
    "B4 (ISO) 250 x 353 mm", // 42
    "Japanese Postcard 100 x 148 mm", // 43
    "9 x 11 in", // 44
    "10 x 11 in", // 45
    "15 x 11 in", // 46
    "Envelope Invite 220 x 220 mm", // 47
    "RESERVED--DO NOT USE", // 48
    "RESERVED--DO NOT USE", // 49
    "Letter Extra 9 1/2 x 12 in", // 50
    "Legal Extra 9 1/2 x 15 in", // 51
    "Tabloid Extra 11.69 x 18 in", // 52
    "A4 Extra 9.27 x 12.69 in", // 53
    "Letter Transverse 8 1/2 x 11 in", // 54
    "A4 Transverse 210 x 297 mm", // 55
    "Letter Extra Transverse 9 1/2 x 12 in", // 56
    "SuperA/SuperA/A4 227 x 356 mm", // 57
    "SuperB/SuperB/A3 305 x 487 mm", // 58
    "Letter Plus 8.5 x 12.69 in", // 59
    "A4 Plus 210 x 330 mm", // 60
    "A5 Transverse 148 x 210 mm", // 61
    "B5 (JIS) Transverse 182 x 257 mm", // 62
    "A3 Extra 322 x 445 mm", // 63
    "A5 Extra 174 x 235 mm", // 64
    "B5 (ISO) Extra 201 x 276 mm", // 65
    "A2 420 x 594 mm", // 66
    "A3 Transverse 297 x 420 mm", // 67
    "A3 Extra Transverse 322 x 445 mm", // 68
    "Japanese Double Postcard 200 x 148 mm", // 69
    "A6 105 x 148 mm", // 70
    "Japanese Envelope Kaku #2", // 71
    "Japanese Envelope Kaku #3", // 72
    "Japanese Envelope Chou #3", // 73
    "Japanese Envelope Chou #4", // 74
    "Letter Rotated 11 x 8 1/2 11 in", // 75
    "A3 Rotated 420 x 297 mm", // 76
    "A4 Rotated 297 x 210 mm", // 77
    "A5 Rotated 210 x 148 mm", // 78
    "B4 (JIS) Rotated 364 x 257 mm", // 79
    "B5 (JIS) Rotated 257 x 182 mm", // 80
    "Japanese Postcard Rotated 148 x 100 mm", // 81
    "Double Japanese Postcard Rotated 148 x 200 mm", // 82
    "A6 Rotated 148 x 105 mm", // 83
    "Japanese Envelope Kaku #2 Rotated", // 84
    "Japanese Envelope Kaku #3 Rotated", // 85
    "Japanese Envelope Chou #3 Rotated", // 86
    "Japanese Envelope Chou #4 Rotated", // 87
    "B6 (JIS) 128 x 182 mm", // 88
    "B6 (JIS) Rotated 182 x 128 mm", // 89
    "12 x 11 in", // 90
    "Japanese Envelope You #4", // 91
    "Japanese Envelope You #4 Rotated", // 92
    "PRC 16K 146 x 215 mm", // 93
    "PRC 32K 97 x 151 mm", // 94
    "PRC 32K(Big) 97 x 151 mm", // 95
    "PRC Envelope #1 102 x 165 mm", // 96
    "PRC Envelope #2 102 x 176 mm", // 97
    "PRC Envelope #3 125 x 176 mm", // 98
    "PRC Envelope #4 110 x 208 mm", // 99
    "PRC Envelope #5 110 x 220 mm", // 100
    "PRC Envelope #6 120 x 230 mm", // 101
    "PRC Envelope #7 160 x 230 mm", // 102
    "PRC Envelope #8 120 x 309 mm", // 103
    "PRC Envelope #9 229 x 324 mm", // 104
    "PRC Envelope #10 324 x 458 mm", // 105
    "PRC 16K Rotated", // 106
    "PRC 32K Rotated", // 107
    "PRC 32K(Big) Rotated", // 108
    "PRC Envelope #1 Rotated 165 x 102 mm", // 109
    "PRC Envelope #2 Rotated 176 x 102 mm", // 110
    "PRC Envelope #3 Rotated 176 x 125 mm", // 111
    "PRC Envelope #4 Rotated 208 x 110 mm", // 112
    "PRC Envelope #5 Rotated 220 x 110 mm", // 113
    "PRC Envelope #6 Rotated 230 x 120 mm", // 114
    "PRC Envelope #7 Rotated 230 x 160 mm", // 115
    "PRC Envelope #8 Rotated 309 x 120 mm", // 116
    "PRC Envelope #9 Rotated 324 x 229 mm", // 117
    "PRC Envelope #10 Rotated 458 x 324 mm", // 118
};

} // namespace

QString confirmQuestion(PrintMode mode)
{
    switch (mode) {
    case PrintMode::Default:
        return QStringLiteral("使用默认设置打印。");
    case PrintMode::Standard:
        return QStringLiteral("使用标准设置打印。");
    case PrintMode::Custom:
        break;
    }
    return QStringLiteral("使用定制设置打印。");
}

QString paperSizeName(int number)
{
    constexpr int kNamed = int(sizeof kPaperNames / sizeof *kPaperNames);
    static_assert(kNamed == 118);
    if (number == 0)
        return QStringLiteral("DMPAPER_LETTER");
    if (number >= 1 && number <= kNamed)
        return QString::fromLatin1(kPaperNames[number - 1]);
    if (number == kCustomPaperSize)
        return QStringLiteral("定制纸型(Custom)");
    return {};
}

QString orientationName(int orientation)
{
    switch (orientation) {
    case 1:
        return QStringLiteral("纵向");
    case 2:
        return QStringLiteral("横向");
    default:
        return {};
    }
}

QString qualityName(int quality)
{
    switch (quality) {
    case -4:
        return QStringLiteral("高");
    case -3:
        return QStringLiteral("中");
    case -2:
        return QStringLiteral("低");
    case -1:
        return QStringLiteral("草稿");
    default:
        return {};
    }
}

QStringList settingsLines(const DeviceSettings &s, int ruleLength)
{
    const QString rule(std::max(0, ruleLength), QLatin1Char('-'));
    QStringList lines{QStringLiteral("设备：") + s.device,
                      QStringLiteral("驱动程序：") + s.driver,
                      QStringLiteral("端口：") + s.port,
                      QStringLiteral("设备句柄号：") + QString::number(s.handle),
                      QStringLiteral("版本号:") + s.specVersion,
                      QStringLiteral("驱动版本号") + s.driverVersion,
                      rule,
                      QStringLiteral("打印方向：") + orientationName(s.orientation),
                      QStringLiteral("纸型:") + paperSizeName(s.paperSize),
                      QStringLiteral("纸长:") + QString::number(s.paperLength),
                      QStringLiteral("纸宽:") + QString::number(s.paperWidth),
                      QStringLiteral("缩放率") + QString::number(s.scale)};
    if (!qualityName(s.printQuality).isEmpty())
        lines << QStringLiteral("打印品质:") + qualityName(s.printQuality);
    lines << QStringLiteral("x分辨率:") + QString::number(s.printQuality)
          << QStringLiteral("y分辨率:") + QString::number(s.yResolution) << rule
          << QStringLiteral("纸宽点数:") + QString::number(s.pixelWidth)
          << QStringLiteral("纸高点数:") + QString::number(s.pixelHeight);
    return lines;
}

const QList<QualityChoice> &qualityChoices()
{
    static const QList<QualityChoice> choices{{QStringLiteral("180x180点/英寸"), 180, 180},
                                              {QStringLiteral("120x180点/英寸"), 120, 180},
                                              {QStringLiteral("360x360点/英寸"), 360, 360}};
    return choices;
}

std::optional<CustomPaper> customPaper(const QString &length, const QString &width, int qualityIndex, QString *refusal)
{
    const auto number = [](QString text) {
        text.remove(QLatin1Char(' '));
        bool ok = false;
        const int value = text.toInt(&ok);
        return ok ? value : 0;
    };
    const int l = number(length);
    const int w = number(width);
    // Negative numbers cannot be typed; one that comes in some other way is no paper either.
    if (l <= 0 || w <= 0) {
        if (refusal)
            *refusal = QStringLiteral("输入不能为零。");
        return std::nullopt;
    }
    const QualityChoice &q = qualityChoices().at(std::clamp(qualityIndex, 0, int(qualityChoices().size()) - 1));
    return CustomPaper{l, w, q.x, q.y};
}

} // namespace hemu::printing
