#include "core/convert/convertedbooks.h"

#include "core/bills/bookscheck.h"
#include "core/bills/periodoperations.h"
#include "core/convert/convertsummary.h"
#include "core/db/database.h"

namespace hemu::ConvertedBooks {

void check(const QString &path, ConvertSummary *summary)
{
    Database db;
    QString error;
    if (!db.open(path, &error)) {
        summary->checkError = error;
        return;
    }
    const BooksCheck::Report report = BooksCheck::run(db);
    summary->differences = report.differences;
    summary->checkError = report.error;
}

bool recalc(const QString &path, ProgressSink &progress, QString *error)
{
    Database db;
    if (!db.open(path, error))
        return false;
    const QDate carried = PeriodOperations::lastCarryForward(db);
    // The books check compares with every bill after the carry-forward, whatever its date.
    const PeriodOperations::Result result = PeriodOperations::RecalcTotals(
        db, carried.isValid() ? carried.toString(QStringLiteral("yyyy-MM-dd")) : QString(), QStringLiteral("9999-12-31"),
        progress);
    if (!result.ok && error)
        *error = result.error.text();
    return result.ok;
}

} // namespace hemu::ConvertedBooks
