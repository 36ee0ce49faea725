// hemu-cli statement: one customer's statement over a date range, as JSON, text or PDF.
#include "cli/commands.h"

#include "core/analysis/custstatement.h"
#include "core/data/currentuser.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/format/datetext.h"
#include "core/reports/reportlayout.h"
#include "core/reports/statementreport.h"
#include "core/reports/stockreports.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

namespace hemu::cli {

namespace {

bool parseDay(const QString &text, QDate *day)
{
    *day = {};
    if (text.isEmpty())
        return true;
    *day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return day->isValid();
}

} // namespace

int writeStatement(const QString &file, qint64 customer, const QString &from, const QString &to, const QString &out)
{
    QDate first, last;
    if (!parseDay(from, &first) || !parseDay(to, &last))
        return fail(QStringLiteral("dates are written yyyy-MM-dd: %1 %2").arg(from, to).trimmed());
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("json") && suffix != QLatin1String("txt") && suffix != QLatin1String("pdf"))
        return fail(QStringLiteral("the output file must end in .json, .txt or .pdf: %1").arg(out));

    Database db;
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    // One snapshot: the figures and the bills behind them from the same state of the file.
    ReadTransaction snapshot(db);
    if (!snapshot.isActive())
        return fail(QStringLiteral("cannot read %1: %2").arg(file, db.lastError().text()));
    CustStatement statement(db);
    if (!db.scalar(QStringLiteral("SELECT 1 FROM Customers WHERE CustID = ?"), {customer}).isValid())
        return fail(QStringLiteral("no customer %1 in %2").arg(customer).arg(file));
    if (const DatasetError e = statement.open(customer, first, last); e.failed())
        return fail(QStringLiteral("cannot read %1: %2").arg(file, e.message()));

    if (suffix != QLatin1String("json")) {
        // The printed statement, as the preview shows it.
        using namespace hemu::reports;
        CurrentUser user;
        user.CurUserName = QStringLiteral("hemu-cli");
        const ReportDefinition definition = statementReportDefinition(statement);
        const std::unique_ptr<RecordSource> rows = statementRows(statement);
        const PageModel pages
            = ReportLayout::run(definition, *rows, reportVariables(user.PrintStampText(), shortDateText(QDate::currentDate())));
        const bool written = writePages(pages, out, definition.title, &error);
        if (!written)
            return fail(QStringLiteral("cannot write %1: %2").arg(out, error));
        QTextStream(stdout) << pages.pages.size() << " pages\n";
        return 0;
    }
    QSaveFile target(out);
    if (!target.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(out, target.errorString()));
    target.write(QJsonDocument(statement.toJson()).toJson(QJsonDocument::Indented));
    if (!target.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(out, target.errorString()));
    QTextStream(stdout) << statement.qStatement->rowCount() << " goods, " << statement.qStatementBills->rowCount() << " bills\n";
    return 0;
}

} // namespace hemu::cli
