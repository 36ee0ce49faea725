#pragma once

#include "core/bills/billkind.h"

#include <QSqlError>

namespace hemu {

class Database;

/**
 * Moves the period counters for one bill line. Counters change by SQL increments, so two
 * programs posting to one file never lose an update; the caller runs this inside the
 * transaction that also writes the line and the bill total.
 */
namespace Posting {

enum class Outcome {
    Posted,        // counters moved
    Skipped,       // GoodID <= 0 or quantity 0: nothing to post
    GoodsNotFound, // no Goods row with that GoodID
    Failed,        // a write failed; see error
};

struct Result
{
    Outcome outcome = Outcome::Skipped;
    QSqlError error;
    bool ok() const { return outcome == Outcome::Posted || outcome == Outcome::Skipped; }
};

/// Adds `qty` and `qty`×`price` to the counters `kind` moves for goods item `goodId` (and,
/// for deliveries and receipts, for that item at customer `custId`, creating the row when
/// missing), and sets the item's cost or selling price to `price`. Quantity and price are
/// narrowed to single precision first; their product is formed in double.
Result PostGoodsChange(Database &db, BillKind kind, int goodId, int custId, double qty, double price);

/// Text shown when a line's goods item cannot be posted.
QString cannotUpdateGoodsText(int goodId);
QString goodsNotFoundText();

} // namespace Posting
} // namespace hemu
