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
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    // The file's structure first: the books of a damaged file may read right and still be lost.
    const Database::Soundness soundness = db.checkIntegrity();
    if (soundness == Database::Soundness::Unchecked)
        return fail(QStringLiteral("cannot check %1: %2").arg(file, db.lastError().text()));
    const bool sound = soundness == Database::Soundness::Sound;
    out << (sound ? QStringLiteral("integrity ok\n") : QStringLiteral("integrity damaged: %1\n").arg(db.integrityDetail()));
    out.flush();
    const BooksCheck::Report report = BooksCheck::run(db);
    if (!report.error.isEmpty())
        return fail(report.error);
    for (const QString &line : report.differences)
        out << line << '\n';
    out << (report.ok ? "books hold\n" : "books do not hold\n");
    return report.ok && sound ? 0 : 1;
}

} // namespace hemu::cli
