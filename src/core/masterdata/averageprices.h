#pragma once

#include <QString>

namespace hemu {

class Database;
class Dataset;
class ProgressSink;

/**
 * The average prices of the goods (`GoodsAvgPrice`): per goods item the quantity-weighted
 * mean purchase price over every stock-in line and the mean price over every receipt line,
 * 0 where the quantities add up to 0. Only goods with stock-in lines get a row; an item
 * with receipts but no stock-in gets none.
 */
namespace AveragePrices {

/// The command does anything only while the current stock-in bill has lines (`lines` is the
/// stock-in detail view following that bill).
bool applies(const Dataset &lines);

struct Result
{
    bool ok = true;
    QString error;     ///< why nothing was written (the database's words)
    qint64 goods = 0;  ///< rows written to GoodsAvgPrice
};

/// Rebuilds GoodsAvgPrice from the stock-in and receipt lines in one transaction: all of it
/// or nothing. `progress` gets one step per statement.
Result rebuild(Database &db, ProgressSink &progress);

} // namespace AveragePrices
} // namespace hemu
