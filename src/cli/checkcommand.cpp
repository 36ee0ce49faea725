#include "cli/commands.h"

#include "core/bills/bookscheck.h"
#include "core/db/database.h"

#include <QTextStream>

namespace hemu::cli {

int checkBooks(const QString &file)
{
    Database db;
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    const BooksCheck::Report report = BooksCheck::run(db);
    if (!report.error.isEmpty())
        return fail(report.error);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const QString &line : report.differences)
        out << line << '\n';
    out << (report.ok ? "books hold\n" : "books do not hold\n");
    return report.ok ? 0 : 1;
}

} // namespace hemu::cli
