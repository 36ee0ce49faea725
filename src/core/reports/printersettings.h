#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace hemu::printing {

/// How bills are printed for the rest of the run: the printer as it is, as the print dialog
/// set it, or with the custom paper and quality applied.
enum class PrintMode { Default = 0, Standard = 1, Custom = 2 };

/// The question "确定" asks in `mode`: "使用默认设置打印。" and so on.
QString confirmQuestion(PrintMode mode);

/// The name of paper size `number` (the Windows paper-size numbers that Qt's QPageSize also
/// uses): 1 to 118 their English descriptions, 256 "定制纸型(Custom)", nothing above 256 or
/// below 0 and for 119 to 255.
QString paperSizeName(int number);
/// The user-defined paper size.
constexpr int kCustomPaperSize = 256;

/// 1 "纵向", 2 "横向"; nothing for any other number.
QString orientationName(int orientation);
/// The draft-to-high quality codes −4 "高" to −1 "草稿"; nothing for a resolution in dpi.
QString qualityName(int quality);

/// The printer's settings as the settings list shows them.
struct DeviceSettings
{
    QString device;
    QString driver;
    QString port;
    qint64 handle = 0;      // 0: there is no printer to change
    QString specVersion;
    QString driverVersion;
    int orientation = 1;
    int paperSize = 0;
    int paperLength = 0;    // 0.1 mm
    int paperWidth = 0;     // 0.1 mm
    int scale = 100;
    int printQuality = 0;   // dpi, or a quality code −4..−1
    int yResolution = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
};

/// The lines of the settings list; `ruleLength` "-" make each separator line.
QStringList settingsLines(const DeviceSettings &settings, int ruleLength);

/// The custom print quality choices: text, horizontal and vertical dots per inch.
struct QualityChoice
{
    QString text;
    int x;
    int y;
};
const QList<QualityChoice> &qualityChoices();

/// Custom paper in 0.1 mm and its quality.
struct CustomPaper
{
    int length = 0;
    int width = 0;
    int xResolution = 180;
    int yResolution = 180;
};

/// The custom paper from the two typed numbers (blanks removed) and the quality choice;
/// nullopt with `refusal` set to "输入不能为零。" when a number is empty, zero or no number.
std::optional<CustomPaper> customPaper(const QString &length, const QString &width, int qualityIndex, QString *refusal = nullptr);

/// The custom paper's proposal: 94.0 mm long, 200.0 mm wide, 180 × 180 dots per inch.
constexpr int kProposedLength = 940;
constexpr int kProposedWidth = 2000;

} // namespace hemu::printing
