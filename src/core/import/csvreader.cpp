#include "core/import/importtable.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace hemu {

namespace {

QString decode(const QByteArray &bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    // Spreadsheets on Chinese Windows save CSV in the ANSI code page.
    QStringDecoder gb("GB18030");
    if (gb.isValid()) {
        text = gb.decode(body);
        if (!gb.hasError())
            return text;
    }
    return QString::fromUtf8(body);
}

QChar separatorOf(const QString &text)
{
    // Judged on the first line: the separator it uses most.
    const QString first = text.left(text.indexOf(QLatin1Char('\n')));
    QChar best = QLatin1Char(',');
    qsizetype most = first.count(best);
    for (const QChar c : {QLatin1Char(';'), QLatin1Char('\t')}) {
        if (first.count(c) > most) {
            most = first.count(c);
            best = c;
        }
    }
    return best;
}

} // namespace

namespace CsvReader {

bool read(const QByteArray &bytes, ImportTable *table, QString *error)
{
    *table = ImportTable();
    const QString text = decode(bytes);
    const QChar sep = separatorOf(text);
    QStringList cells;
    QString cell;
    bool quoted = false;     // inside a quoted cell
    bool wasQuoted = false;  // the cell began with a quote
    int line = 1;
    int recordLine = 1;
    bool headerDone = false;
    auto endRecord = [&] {
        cells << (wasQuoted ? cell : cell.trimmed());
        cell.clear();
        wasQuoted = false;
        const bool empty = cells.size() == 1 && cells.first().isEmpty();
        if (!empty) {
            if (!headerDone) {
                for (QString &h : cells)
                    h = h.trimmed();
                table->header = cells;
                headerDone = true;
            } else {
                table->rows.append({recordLine, cells});
            }
        }
        cells.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && cell.trimmed().isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
            cell.clear();
        } else if (c == sep) {
            cells << (wasQuoted ? cell : cell.trimmed());
            cell.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('\r')) {
            // part of a line end
        } else if (c == QLatin1Char('\n')) {
            endRecord();
            ++line;
            recordLine = line;
        } else {
            cell += c;
        }
    }
    if (quoted) {
        if (error)
            *error = QStringLiteral("第 %1 行的引号没有结束。").arg(recordLine);
        return false;
    }
    if (!cell.isEmpty() || !cells.isEmpty())
        endRecord();
    if (table->header.isEmpty()) {
        if (error)
            *error = QStringLiteral("文件中没有标题行。");
        return false;
    }
    return true;
}

bool readFile(const QString &path, ImportTable *table, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取文件 %1。").arg(QFileInfo(path).fileName());
        return false;
    }
    return read(file.readAll(), table, error);
}

} // namespace CsvReader

bool readImportFile(const QString &path, ImportTable *table, QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return XlsxReader::readFile(path, table, error);
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return CsvReader::readFile(path, table, error);
    if (error)
        *error = QStringLiteral("只能导入 CSV 或 XLSX 文件。");
    return false;
}

} // namespace hemu
