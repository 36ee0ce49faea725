#pragma once

#include "core/reports/stockreports.h"
#include "ui/kit/appcontext.h"

class QObject;

namespace hemu {

class CustStatement;
class ReportWindow;

/**
 * The payables reports, the stocktaking sheet and the customer statement, each made for one request as a
 * ReportWindow owned by the window that asks and shown in the preview.
 */
namespace accountreports {

/// "应付款统计表" (frmRepBuyManage) of vendor `vendorId`.
ReportWindow *previewPayablesDetail(AppContext &context, qint64 vendorId, QObject *owner);
/// "进货结算表" (frmRepBuyManTotal) of every vendor with stock-in bills.
ReportWindow *previewPayablesTotal(AppContext &context, QObject *owner);
/// "盘点准备表" (frmRepCheck) of the goods `selection` holds.
ReportWindow *previewStockCheck(AppContext &context, const reports::GoodsSelection &selection, QObject *owner);

/// "客户对账单" (frmRepCustStatement) of the open `statement`, as it stands now.
ReportWindow *previewCustStatement(AppContext &context, const CustStatement &statement, QObject *owner);
/// "客户对账单" opened by name: the first customer holding goods, from its first bill to its
/// last; nullptr when it cannot be read (and said so).
ReportWindow *previewFirstCustStatement(AppContext &context, QObject *owner);

/// The vendor whose bills `frmRepBuyManage` shows when opened by name: the first one with
/// stock-in bills; 0 when there is none.
qint64 firstVendorWithBills(AppContext &context);

} // namespace accountreports
} // namespace hemu
