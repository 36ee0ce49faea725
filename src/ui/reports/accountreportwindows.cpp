#include "ui/reports/accountreportwindows.h"

#include "core/analysis/custstatement.h"
#include "core/data/basedata.h"
#include "core/format/datetext.h"
#include "core/reports/accountreports.h"
#include "core/reports/statementreport.h"
#include "ui/reports/reportwindow.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/errorreporter.h"

#include <QDate>

namespace hemu::accountreports {

namespace {

ReportWindow *preview(ReportWindow *report)
{
    report->preview();
    return report;
}

QString today()
{
    return shortDateText(QDate::currentDate());
}

} // namespace

ReportWindow *previewPayablesDetail(AppContext &context, qint64 vendorId, QObject *owner)
{
    Database &db = context.base.MyADOCnn();
    return preview(new ReportWindow(context, QStringLiteral("frmRepBuyManage"), reports::payablesDetailDefinition(),
                                    reports::payableBills(db, vendorId),
                                    reports::payablesVariables(db, vendorId, context.base.PrintStampText(), today()), owner));
}

ReportWindow *previewPayablesTotal(AppContext &context, QObject *owner)
{
    return preview(new ReportWindow(context, QStringLiteral("frmRepBuyManTotal"), reports::payablesTotalDefinition(),
                                    reports::vendorTotals(context.base.MyADOCnn()),
                                    reports::reportVariables(context.base.PrintStampText(), today()), owner));
}

ReportWindow *previewStockCheck(AppContext &context, const reports::GoodsSelection &selection, QObject *owner)
{
    return preview(new ReportWindow(context, QStringLiteral("frmRepCheck"), reports::stockCheckDefinition(),
                                    reports::goodsRows(context.base.MyADOCnn(), selection),
                                    reports::reportVariables(context.base.PrintStampText(), today()), owner));
}

ReportWindow *previewCustStatement(AppContext &context, const CustStatement &statement, QObject *owner)
{
    return preview(new ReportWindow(context, QStringLiteral("frmRepCustStatement"), reports::statementReportDefinition(statement),
                                    reports::statementRows(statement),
                                    reports::reportVariables(context.base.PrintStampText(), today()), owner));
}

ReportWindow *previewFirstCustStatement(AppContext &context, QObject *owner)
{
    // The report keeps its own copy of the rows: the statement may go once it is made.
    CustStatement statement(context.base.MyADOCnn());
    const DatasetError e = statement.open(statement.firstCustomer(), QDate(), QDate());
    if (!e.ok()) {
        ErrorReporter(&context.main).report(e);
        return nullptr;
    }
    return previewCustStatement(context, statement, owner);
}

qint64 firstVendorWithBills(AppContext &context)
{
    const auto rows = reports::vendorTotals(context.base.MyADOCnn());
    return rows->next() ? rows->record().value(QStringLiteral("CustID")).toLongLong() : 0;
}

} // namespace hemu::accountreports
