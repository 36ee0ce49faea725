#include "ui/bills/billprinting.h"

#include "core/data/basedata.h"
#include "core/format/datetext.h"
#include "core/prompter.h"
#include "core/reports/billreports.h"
#include "ui/reports/reportwindow.h"

#include <QDate>

namespace hemu::billprinting {

std::optional<reports::PrintedBill> readBill(AppContext &context, BillKind kind, qint64 tabId)
{
    QString error;
    std::optional<reports::PrintedBill> bill = reports::readPrintedBill(context.base.MyADOCnn(), kind, tabId, &error);
    if (!bill)
        context.prompter.warning(QStringLiteral("单据无法读出：") + error);
    return bill;
}

ReportWindow *previewPage(AppContext &context, const reports::PrintedBill &bill, QObject *owner)
{
    auto *report = new ReportWindow(context, QStringLiteral("frmRepTabRk"), reports::billReportDefinition(bill),
                                    reports::billRows(bill),
                                    reports::billVariables(bill, context.base.PrintStampText(), shortDateText(QDate::currentDate())),
                                    owner);
    report->preview();
    return report;
}

} // namespace hemu::billprinting
