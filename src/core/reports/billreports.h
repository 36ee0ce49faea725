#pragma once

#include "core/reports/printedbill.h"
#include "core/reports/reportdefinition.h"

#include <QHash>

#include <memory>

namespace hemu::reports {

/// The page-printed bill: a 210 × 94 mm form with the bill's heading, its lines and the
/// prepared-by stamp; what "页式" of bill entry previews.
ReportDefinition billReportDefinition(const PrintedBill &bill);
/// The bill's lines as the report reads them: GoodID, Description, lkUnit, Qty, Price.
std::unique_ptr<RecordSource> billRows(const PrintedBill &bill);
/// The heading's values besides "Stamp" and "Date": the counterpart, the date, the number,
/// the remark and the page count the heading announces.
QHash<QString, QVariant> billVariables(const PrintedBill &bill, const QString &stamp, const QString &date);
/// The page count the bill's heading announces: one page per 11 lines, rounded up.
int billPageEstimate(int lines);

} // namespace hemu::reports
