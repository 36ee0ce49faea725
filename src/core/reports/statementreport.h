#pragma once

#include "core/reports/reportdefinition.h"

#include <memory>

namespace hemu {
class CustStatement;
}

namespace hemu::reports {

/// The printed customer statement of the open `statement` (the company, the customer and the
/// days in the heading): the goods figures and their totals, then the bills behind them by date,
/// then a line for both sides to sign ("客户签字", "经办人").
ReportDefinition statementReportDefinition(const CustStatement &statement);
/// The rows of the open `statement`: its goods and their totals, then its bills (column
/// "section" 1 and 2).
/// The statement must stay open while the rows are read.
std::unique_ptr<RecordSource> statementRows(const CustStatement &statement);
/// "客户对账单".
QString statementReportTitle();

} // namespace hemu::reports
