#pragma once

#include "core/bills/billkind.h"

#include <QDate>
#include <QSqlError>
#include <QString>

namespace hemu {

class Database;
class ProgressSink;

/**
 * Bulk work on the period counters: rebuilding the movements from the bills, carrying the
 * period forward, and the clearing commands. Each operation is one transaction: when any
 * statement fails, nothing of it stays and the error is returned.
 */
namespace PeriodOperations {

struct Result
{
    bool ok = true;
    QSqlError error;
};

/// Rebuilds every movement counter from the bills dated after `start` and up to and including
/// `end` (both 'yyyy-MM-dd'; an empty start counts every bill up to `end`); the opening balances stay. An empty quantity, price, goods code
/// or customer of an older line counts as 0, as it does when the line is posted. Writes its step lines and drives the
/// bar of `progress`. `today` decides the month stored in UserInfo.闸帐月.
Result RecalcTotals(Database &db, const QString &start, const QString &end, ProgressSink &progress,
                    const QDate &today = QDate::currentDate());

/// Folds the movements into the opening balances and zeroes them. With a valid `carriedOn`
/// the date is stored as UserInfo.结转时间 in the same transaction.
Result CarryForward(Database &db, const QDate &carriedOn = {});

/// The date of the last carry-forward (UserInfo.结转时间), or an invalid date when the books
/// were never carried forward.
QDate lastCarryForward(Database &db);

/// Removes customer stock rows whose quantities and amounts are all zero: a row with no
/// quantity left may still carry an amount, which the books must keep.
Result PurgeIdleCustStock(Database &db);

/// Zeroes every counter and removes every customer stock row.
Result ClearTotals(Database &db);

/// Removes every bill of the three kinds, lines first. Counters and invoices stay.
Result ClearBills(Database &db);
/// ClearBills and ClearTotals together: both or neither.
Result ClearAll(Database &db);

/// The movements the bills of `kind` dated after the first and up to the second parameter
/// give, one row per goods item (per customer and goods item with `perCustomer`): columns
/// GoodID, [CustID,] sQty, sMny. What RecalcTotals writes and the books check compares with.
QString movementSums(BillKind kind, bool perCustomer);

QString recalcStep1Text();
QString recalcStep2Text();
QString recalcStep3Text();
QString recalcDoneText();

} // namespace PeriodOperations
} // namespace hemu
