#pragma once

#include "core/dataset/dataseterror.h"

#include <QObject>
#include <QString>

namespace hemu {

class Database;
class Dataset;

/**
 * What the company owes its vendors: per vendor the total of its stock-in bills (`qSum`),
 * and for the vendor of qSum's current row each bill with what is due, what the invoice
 * paid and whether it is settled (`qStatistic`), read from RuKuDan.
 */
class Payables : public QObject
{
    Q_OBJECT
public:
    explicit Payables(Database &db, QObject *parent = nullptr);

    /// The vendors' names the totals look up (`lkVendor`).
    Dataset *qVendors = nullptr;
    /// Per vendor of a stock-in bill: `CustID`, `DuePay` (every bill, settled or not), `lkVendor`.
    Dataset *qSum = nullptr;
    /// The bills of qSum's current vendor in bill order: `BookID`, `TabID`, `TabDate`,
    /// `clear` ("X" while something is still to pay, else "√"), `paid`, `due`.
    Dataset *qStatistic = nullptr;

    static QString sumSql();
    static QString statisticSql();
    /// Shown when a picked vendor has no stock-in bill.
    static QString noPayablesText();
    /// Shown when the bill of a line is not among the stock-in bills bill entry holds.
    static QString missingBillText();

    /// Reads the lists again (closing them first); the bills follow the vendor's row.
    DatasetError open();
    void close();
    /// Moves qSum to vendor `vendorId`; false when it has no stock-in bill.
    bool findVendor(int vendorId);
};

} // namespace hemu
