#pragma once

#include "core/dataset/dataset.h"

#include <QDate>
#include <optional>
#include <vector>

namespace hemu {

class Database;

/**
 * How long the goods customers hold have been there, as of the end of a day: per customer and
 * goods item the quantity and amount held and the quantity by how long ago it was delivered
 * (0-30, 31-90, 91-180, over 180 days). Receipts and returns (less refunds) take the oldest
 * deliveries first, so what is held is the newest deliveries: of a holding H, min(H, delivered
 * within 30 days) is at most 30 days old, min(H, delivered within 90 days) at most 90, and so
 * on; sums per age limit are all it needs. The opening balance is the oldest delivery, dated at
 * the first bill of the books; what no delivery explains (more paid for than delivered, or
 * more refunded than paid) counts as recent.
 *
 * Worked out in one pass over the lines and the customer stock rows, grouped in memory by
 * customer and goods item (the file has no index in that order: SQLite would sort every line),
 * and handed over as rows ordered by customer and goods item.
 */
class HeldAges
{
public:
    /// The columns of the rows, in order.
    static QList<Dataset::SourceColumn> columns();

    /// The rows for the end of `asOf`, of customer `custId` or of everyone (none).
    static DatasetError make(Database &db, const QDate &asOf, std::optional<qint64> custId, std::vector<RowValues> *rows);
};

} // namespace hemu
