#include "ui/widgets/gridexport.h"

#include "ui/widgets/gridtable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>
#include <xlsxwriter.h>

#include <filesystem>
#include <system_error>

namespace hemu::GridExport {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList &fields)
{
    QStringList out;
    for (const QString &field : fields)
        out.append(csvField(field));
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

QByteArray csv(const GridTable &table)
{
    QString text;
    QStringList titles;
    for (const GridTable::Column &column : table.columns)
        titles.append(column.title());
    text += csvLine(titles);
    for (const QStringList &row : table.texts)
        text += csvLine(row);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString tabSeparated(const GridTable &table)
{
    QStringList lines;
    for (const QStringList &row : table.texts) {
        QStringList cells;
        for (QString cell : row)
            cells.append(cell.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + (lines.isEmpty() ? QString() : QStringLiteral("\n"));
}

bool writeCsv(const GridTable &table, const QString &path, QString *error)
{
    // Written beside and renamed into place: a failed export leaves an older file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv(table)) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString spreadsheetFormat(const QString &pattern)
{
    // Literal texts are quoted with ' in our patterns and with " in a spreadsheet's.
    QString out = pattern;
    return out.replace(QLatin1Char('\''), QLatin1Char('"'));
}

bool writeXlsx(const GridTable &table, const QString &path, QString *error)
{
    // The workbook is written to a scratch file of its own beside the target and then renamed
    // over it in one step: a failed export leaves an older file whole, as with the CSV.
    QTemporaryFile scratchFile(path + QStringLiteral(".XXXXXX.part"));
    if (!scratchFile.open()) {
        *error = QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), scratchFile.errorString());
        return false;
    }
    const QString scratch = scratchFile.fileName();
    scratchFile.close();
    // A temporary file is private to its owner; an export gets the permissions of the file it
    // replaces, or those of an ordinary new file.
    scratchFile.setPermissions(QFile::exists(path) ? QFile::permissions(path)
                                                   : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray scratchName = QFile::encodeName(scratch);
    lxw_workbook *book = workbook_new(scratchName.constData());
    if (!book) {
        *error = QStringLiteral("无法写入文件 %1。").arg(QDir::toNativeSeparators(path));
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *titleFormat = workbook_add_format(book);
    format_set_bold(titleFormat);
    format_set_align(titleFormat, LXW_ALIGN_CENTER);
    format_set_align(titleFormat, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(titleFormat, LXW_BORDER_THIN);
    QList<lxw_format *> numberFormats;
    for (const GridTable::Column &column : table.columns) {
        lxw_format *format = nullptr;
        if (column.numeric && !column.displayFormat.isEmpty()) {
            format = workbook_add_format(book);
            format_set_num_format(format, spreadsheetFormat(column.displayFormat).toUtf8().constData());
        }
        numberFormats.append(format);
    }

    lxw_row_t row = 0;
    const bool twoLines = table.hasTwoLineTitles();
    for (int c = 0; c < table.columns.size(); ++c) {
        const GridTable::Column &column = table.columns.at(c);
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), qMax(6.0, column.width / 7.0), nullptr);
        if (!twoLines) {
            worksheet_write_string(sheet, 0, lxw_col_t(c), column.lower.toUtf8().constData(), titleFormat);
            continue;
        }
        if (column.upper.isEmpty()) {
            worksheet_merge_range(sheet, 0, lxw_col_t(c), 1, lxw_col_t(c), column.lower.toUtf8().constData(), titleFormat);
            continue;
        }
        // Neighbours sharing an upper text share one upper cell, as on screen.
        if (c == 0 || table.columns.at(c - 1).upper != column.upper) {
            int last = c;
            while (last + 1 < table.columns.size() && table.columns.at(last + 1).upper == column.upper)
                ++last;
            if (last > c)
                worksheet_merge_range(sheet, 0, lxw_col_t(c), 0, lxw_col_t(last), column.upper.toUtf8().constData(), titleFormat);
            else
                worksheet_write_string(sheet, 0, lxw_col_t(c), column.upper.toUtf8().constData(), titleFormat);
        }
        worksheet_write_string(sheet, 1, lxw_col_t(c), column.lower.toUtf8().constData(), titleFormat);
    }
    row = twoLines ? 2 : 1;
    for (int r = 0; r < table.rowCount(); ++r, ++row) {
        for (int c = 0; c < table.columns.size(); ++c) {
            const QVariant value = table.values.at(r).value(c);
            bool isNumber = false;
            const double number = value.toDouble(&isNumber);
            if (table.columns.at(c).numeric && !value.isNull() && isNumber)
                worksheet_write_number(sheet, row, lxw_col_t(c), number, numberFormats.at(c));
            else if (!table.texts.at(r).value(c).isEmpty())
                worksheet_write_string(sheet, row, lxw_col_t(c), table.texts.at(r).value(c).toUtf8().constData(), nullptr);
        }
    }
    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        *error = QStringLiteral("无法写入文件 %1：%2")
                     .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(result)));
        return false;
    }
    // rename() replaces an existing target atomically; removing the target first would lose
    // it if the rename then failed.
    std::error_code renameError;
    std::filesystem::rename(std::filesystem::path(scratchName.constData()),
                            std::filesystem::path(QFile::encodeName(path).constData()), renameError);
    if (renameError) {
        *error = QStringLiteral("无法写入文件 %1：%2")
                     .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(renameError.message()));
        return false;
    }
    scratchFile.setAutoRemove(false);
    return true;
}

} // namespace hemu::GridExport
