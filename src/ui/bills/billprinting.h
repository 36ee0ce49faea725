#pragma once

#include "core/bills/billkind.h"
#include "core/reports/printedbill.h"
#include "ui/kit/appcontext.h"

#include <optional>

class QObject;
class QPrinter;

namespace hemu {

class ReportWindow;

/**
 * The two ways bill entry prints a bill: the page-printed bill report "frmRepTabRk" shown in
 * the preview, and the line-printed form sent to the printer or into a line-print preview.
 */
namespace billprinting {

/// The bill as it is stored now; warns and gives nothing when it cannot be read.
std::optional<reports::PrintedBill> readBill(AppContext &context, BillKind kind, qint64 tabId);

/// Makes the bill report "frmRepTabRk" for `bill`, owned by `owner`, and previews it.
ReportWindow *previewPage(AppContext &context, const reports::PrintedBill &bill, QObject *owner);

/// Line printing: into a new line-print preview when `toPreview`, else onto `printer`; tells
/// "打印完毕。" when done and warns "网络或打印机故障。" when it could not be.
void linePrint(AppContext &context, const reports::PrintedBill &bill, bool toPreview, QPrinter &printer);

/// A line-print preview of the newest delivery bill (else stock-in, else receipt bill): what
/// `--open frmLinePrintPreview` shows.
void previewNewestBill(AppContext &context);

} // namespace billprinting
} // namespace hemu
