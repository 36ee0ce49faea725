#include "ui/bills/billprinting.h"

#include "core/data/basedata.h"
#include "core/format/datetext.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "core/reports/billreports.h"
#include "render/linepainter.h"
#include "ui/bills/tfrmlineprintpreview.h"
#include "ui/reports/reportwindow.h"

#include <QDate>
#include <QPrinter>

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

void linePrint(AppContext &context, const reports::PrintedBill &bill, bool toPreview, QPrinter &printer)
{
    bool done = false;
    if (toPreview) {
        done = TfrmLinePrintPreview::open(context, bill) != nullptr;
    } else {
        // Without an installed printer Qt prints into a PDF file: the user names it.
        const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
        if (toFile) {
            QString file = context.files.chooseSave(QStringLiteral("保存为 PDF 文件"), QStringLiteral("pdf"), {});
            if (file.isEmpty())
                return;
            if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                file += QLatin1String(".pdf");
            printer.setOutputFileName(file);
        }
        // Positions are the printer's own pixels, measured with the printer's resolution.
        const int dpi = printer.resolution();
        const QList<reports::LinePage> pages
            = reports::lineprint::layout(bill, context.base.PrintStampText(), render::FontLineMetrics(dpi));
        done = render::printLinePages(printer, dpi, pages);
        if (toFile)
            printer.setOutputFileName(QString());
    }
    if (done)
        context.prompter.information(QStringLiteral("打印完毕。"));
    else
        context.prompter.warning(QStringLiteral("网络或打印机故障。"));
}

void previewNewestBill(AppContext &context)
{
    for (const BillKind kind : {BillKind::Delivery, BillKind::StockIn, BillKind::Receipt}) {
        if (const qint64 tabId = reports::newestBill(context.base.MyADOCnn(), kind)) {
            if (const auto bill = readBill(context, kind, tabId))
                TfrmLinePrintPreview::open(context, *bill);
            return;
        }
    }
}

} // namespace hemu::billprinting
