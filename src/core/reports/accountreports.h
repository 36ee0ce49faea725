#pragma once

#include "core/reports/reportdefinition.h"
#include "core/reports/stockreports.h"

#include <QHash>

#include <memory>

namespace hemu {
class Database;
}

namespace hemu::reports {

/// "应付款统计表": the stock-in bills of one vendor with what is due, paid and still open.
ReportDefinition payablesDetailDefinition();
/// The bills of vendor `vendorId` in bill order: BookID, TabID, TabDate, clear, paid, due.
std::unique_ptr<RecordSource> payableBills(Database &db, qint64 vendorId);
/// The heading's values besides "Stamp" and "Date": the vendor's name ("Vendor") and the
/// total of its bills ("DuePay", two decimals, nothing when zero).
QHash<QString, QVariant> payablesVariables(Database &db, qint64 vendorId, const QString &stamp, const QString &date);

/// "进货结算表": one line per vendor with stock-in bills, in two columns.
ReportDefinition payablesTotalDefinition();
/// Per vendor of a stock-in bill in vendor order: CustID, lkVendor, DuePay.
std::unique_ptr<RecordSource> vendorTotals(Database &db);

/// "盘点准备表": the goods by category with their book quantity in the main store and empty
/// cells for the counted quantity and the difference; landscape, two columns. Its rows are
/// goodsRows() of the stocktaking window's selection.
ReportDefinition stockCheckDefinition();

} // namespace hemu::reports
