#include "cli/commands.h"

#include "core/data/currentuser.h"
#include "core/db/database.h"
#include "core/format/datetext.h"
#include "core/reports/billreports.h"
#include "core/reports/linelayout.h"
#include "core/reports/reportlayout.h"
#include "render/linepainter.h"
#include "render/pdfexport.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace hemu::cli {

int printBill(const QString &file, const QString &kindText, const QString &tabText, bool line, const QString &out)
{
    using namespace hemu::reports;
    bool ok = false;
    BillKind kind;
    if (!billKindFromInt(kindText.toInt(&ok), &kind) || !ok)
        return fail(QStringLiteral("KIND is 1 (stock-in), 2 (delivery) or 3 (receipt), not %1").arg(kindText));
    const qint64 tabId = tabText.toLongLong(&ok);
    if (!ok || tabId <= 0)
        return fail(QStringLiteral("TABID is a bill's number, not %1").arg(tabText));
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("txt") && suffix != QLatin1String("pdf"))
        return fail(QStringLiteral("the output file must end in .txt or .pdf: %1").arg(out));

    Database db;
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    const std::optional<PrintedBill> bill = readPrintedBill(db, kind, tabId, &error);
    if (!bill)
        return fail(QStringLiteral("cannot read bill %1 of %2: %3").arg(tabId).arg(file, error));
    CurrentUser user;
    user.CurUserName = QStringLiteral("hemu-cli");
    const QString stamp = user.PrintStampText();

    int pageCount = 0;
    bool written = false;
    if (line) {
        pageCount = lineprint::pageCount(int(bill->lines.size()));
        if (suffix == QLatin1String("pdf")) {
            written = render::writeLinePdf(*bill, stamp, out, &error);
        } else {
            const EmLineMetrics metrics(render::kLineDpi);
            QFile f(out);
            written = f.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && f.write(lineprint::toText(lineprint::layout(*bill, stamp, metrics), metrics).toUtf8()) >= 0 && f.flush();
            if (!written)
                error = f.errorString();
        }
    } else {
        const ReportDefinition definition = billReportDefinition(*bill);
        const auto rows = billRows(*bill);
        const PageModel pages
            = ReportLayout::run(definition, *rows, billVariables(*bill, stamp, shortDateText(QDate::currentDate())));
        pageCount = int(pages.pages.size());
        written = writePages(pages, out, definition.title, &error);
    }
    if (!written)
        return fail(QStringLiteral("cannot write %1: %2").arg(out, error));
    QTextStream(stdout) << pageCount << " pages\n";
    return 0;
}

} // namespace hemu::cli
