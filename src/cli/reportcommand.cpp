#include "cli/commands.h"

#include "core/data/currentuser.h"
#include "core/db/database.h"
#include "core/format/datetext.h"
#include "core/reports/reportlayout.h"
#include "core/reports/stockreports.h"
#include "core/reports/textexport.h"
#include "render/pdfexport.h"

#include <QFileInfo>
#include <QTextStream>

namespace hemu::cli {

bool writePages(const reports::PageModel &pages, const QString &out, const QString &title, QString *error)
{
    return QFileInfo(out).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0
        ? render::writePdf(pages, out, title, error)
        : reports::textexport::writeFile(pages, out, error);
}

int makeReport(const QString &file, const QString &name, const QString &category, bool withEmpty, const QString &out)
{
    using namespace hemu::reports;
    const std::optional<StockReport> report = stockReportFromName(name);
    if (!report)
        return fail(QStringLiteral("unknown report %1 (book-stock, physical-stock, main-store or goods-list)").arg(name));
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("txt") && suffix != QLatin1String("pdf"))
        return fail(QStringLiteral("the output file must end in .txt or .pdf: %1").arg(out));
    GoodsSelection selection;
    // The goods list shows every item; the stock statements leave out the idle ones.
    selection.skipIdle = *report != StockReport::GoodsList && !withEmpty;
    if (category != QLatin1String("all")) {
        bool ok = false;
        selection.category = category.toLongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--category takes a category id or all, not %1").arg(category));
    }

    Database db;
    QString error;
    if (!db.open(file, &error))
        return fail(QStringLiteral("cannot open %1: %2").arg(file, error));
    CurrentUser user;
    user.CurUserName = QStringLiteral("hemu-cli");
    const ReportDefinition definition = stockReportDefinition(*report, db);
    const std::unique_ptr<RecordSource> rows = goodsRows(db, selection);
    const PageModel pages
        = ReportLayout::run(definition, *rows, reportVariables(user.PrintStampText(), shortDateText(QDate::currentDate())));
    if (!rows->error().isEmpty())
        return fail(QStringLiteral("cannot read the goods of %1: %2").arg(file, rows->error()));

    const bool written = writePages(pages, out, definition.title, &error);
    if (!written)
        return fail(QStringLiteral("cannot write %1: %2").arg(out, error));
    QTextStream(stdout) << pages.pages.size() << " pages\n";
    return 0;
}

} // namespace hemu::cli
