#include "core/import/importtable.h"
#include "core/import/zipreader.h"

#include <QDate>
#include <cmath>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QXmlStreamReader>

namespace hemu {

namespace {

const QString RelNamespace = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

/// One part of the workbook, or nothing when it is not there.
bool readPart(const ZipReader &zip, const QString &name, QByteArray *bytes)
{
    return zip.read(name, bytes);
}

/// The text of the element the reader stands on, runs of rich text joined; phonetic
/// guides (rPh) left out.
QString elementText(QXmlStreamReader &xml)
{
    QString text;
    const QStringView end = xml.name();
    const QString endName = end.toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("rPh")) {
            xml.skipCurrentElement();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("t")) {
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement() && xml.name() == endName) {
            break;
        }
    }
    return text;
}

QStringList sharedStrings(const QByteArray &bytes)
{
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings << elementText(xml);
    }
    return strings;
}

bool isDateFormatCode(const QString &code)
{
    if (code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return false;
    bool inQuote = false;
    bool inBracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"'))
            inQuote = !inQuote;
        else if (inQuote)
            continue;
        else if (c == QLatin1Char('\\'))
            ++i;
        else if (c == QLatin1Char('['))
            inBracket = true;
        else if (c == QLatin1Char(']'))
            inBracket = false;
        else if (!inBracket && QStringLiteral("dmyhsDMYHS").contains(c))
            return true;
    }
    return false;
}

/// For each cell style (its index), whether it shows a date.
QList<bool> dateStyles(const QByteArray &bytes)
{
    QHash<int, bool> customDate;
    QList<bool> styles;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt")) {
            const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
            customDate.insert(id, isDateFormatCode(xml.attributes().value(QLatin1String("formatCode")).toString()));
        } else if (xml.isStartElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        } else if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
            const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
            const bool builtinDate = (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
            styles << (customDate.contains(id) ? customDate.value(id) : builtinDate);
            xml.skipCurrentElement();
        }
    }
    return styles;
}

/// The worksheet part of the workbook's first sheet.
QString firstSheetPart(const ZipReader &zip, bool *date1904)
{
    QByteArray workbook, rels;
    QString relId;
    if (readPart(zip, QStringLiteral("xl/workbook.xml"), &workbook)) {
        QXmlStreamReader xml(workbook);
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("workbookPr")) {
                const QStringView v = xml.attributes().value(QLatin1String("date1904"));
                *date1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (xml.name() == QLatin1String("sheet") && relId.isEmpty()) {
                relId = xml.attributes().value(RelNamespace, QLatin1String("id")).toString();
            }
        }
    }
    if (!relId.isEmpty() && readPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &rels)) {
        QXmlStreamReader xml(rels);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")
                && xml.attributes().value(QLatin1String("Id")) == relId) {
                const QString target = xml.attributes().value(QLatin1String("Target")).toString();
                return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            }
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

/// Column index of a cell reference ("C7" → 2); -1 when it has none.
int columnOf(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i)
        column = column * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
    return i == 0 ? -1 : column - 1;
}

QString numberText(double v)
{
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

QString dateText(double serial, bool date1904)
{
    const QDate epoch = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const qint64 days = qint64(std::floor(serial));
    const QDate date = epoch.addDays(days);
    const int seconds = int(std::llround((serial - double(days)) * 86400.0));
    if (seconds == 0)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    return QDateTime(date, QTime(0, 0).addSecs(seconds)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

namespace XlsxReader {

bool readFile(const QString &path, ImportTable *table, QString *error)
{
    *table = ImportTable();
    auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    ZipReader zip;
    QString zipError;
    if (!zip.open(path, &zipError))
        return fail(zipError);
    bool date1904 = false;
    const QString sheetPart = firstSheetPart(zip, &date1904);
    QByteArray bytes;
    QStringList strings;
    if (readPart(zip, QStringLiteral("xl/sharedStrings.xml"), &bytes))
        strings = sharedStrings(bytes);
    QList<bool> dateStyle;
    if (readPart(zip, QStringLiteral("xl/styles.xml"), &bytes))
        dateStyle = dateStyles(bytes);
    if (!readPart(zip, sheetPart, &bytes))
        return fail(QStringLiteral("工作簿中没有工作表。"));

    QXmlStreamReader xml(bytes);
    bool headerDone = false;
    int rowNumber = 0;
    QStringList cells;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            rowNumber = r > 0 ? r : rowNumber + 1;
            cells.clear();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes a = xml.attributes();
            int column = columnOf(a.value(QLatin1String("r")));
            if (column < 0)
                column = int(cells.size());
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString value;
            QString inlineText;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == QLatin1String("is"))
                    inlineText = elementText(xml);
                else if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
            }
            QString text;
            if (type == QLatin1String("s")) {
                const int index = value.toInt();
                text = index >= 0 && index < strings.size() ? strings.at(index) : QString();
            } else if (type == QLatin1String("inlineStr")) {
                text = inlineText;
            } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
                text = value;
            } else if (type == QLatin1String("b")) {
                text = value == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
            } else if (!value.isEmpty()) {
                bool ok = false;
                const double v = value.toDouble(&ok);
                if (!ok)
                    text = value;
                else if (style >= 0 && style < dateStyle.size() && dateStyle.at(style))
                    text = dateText(v, date1904);
                else
                    text = numberText(v);
            }
            while (cells.size() <= column)
                cells << QString();
            cells[column] = text.trimmed();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            bool empty = true;
            for (const QString &c : std::as_const(cells))
                empty = empty && c.isEmpty();
            if (empty)
                continue;
            if (!headerDone) {
                table->header = cells;
                headerDone = true;
            } else {
                table->rows.append({rowNumber, cells});
            }
        }
    }
    if (xml.hasError())
        return fail(QStringLiteral("工作表无法读取：%1").arg(xml.errorString()));
    if (!headerDone)
        return fail(QStringLiteral("文件中没有标题行。"));
    return true;
}

} // namespace XlsxReader
} // namespace hemu
