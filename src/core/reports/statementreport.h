#pragma once

#include "core/reports/reportdefinition.h"

#include <QDate>
#include <memory>

namespace hemu {
class CustStatement;
}

namespace hemu::reports {

/// The printed customer statement: the goods figures with their amounts summed, then the bills
/// behind them by date, then a line for both sides to sign ("客户签字", "经办人").
ReportDefinition statementReportDefinition(const QString &customer, const QDate &from, const QDate &to);
/// The rows of the open `statement`: its goods, then its bills (column "section" 1 and 2).
/// The statement must stay open while the rows are read.
std::unique_ptr<RecordSource> statementRows(const CustStatement &statement);
/// "客户对账单".
QString statementReportTitle();

} // namespace hemu::reports
