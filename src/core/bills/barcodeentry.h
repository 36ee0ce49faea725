#pragma once

#include "core/dataset/dataseterror.h"

#include <QString>
#include <QVariant>

namespace hemu {

class Database;
class Dataset;

/**
 * A code scanned (or typed) into a bill: the goods item whose BarCode it is, or failing that
 * whose GoodID it is, goes into the bill's lines. A new item gets a line of quantity 1 at the
 * price a pick proposes (purchase price on a stock-in bill, selling price on a delivery, the
 * average value the customer holds it at on a receipt); an item the bill has already gets 1
 * more on its line. Every line is posted through the detail dataset's own rules.
 */
class BarcodeEntry
{
public:
    enum class Outcome { Nothing, Added, Increased, Unknown };

    /// `details` is the detail dataset of a bill whose counterpart is `custId`.
    BarcodeEntry(Database &db, Dataset &details, const QVariant &custId);

    /// Enters `code`; a refused post is undone and comes back in `error`.
    Outcome scan(const QString &code, DatasetError *error = nullptr);

    /// The warning for a code no goods item has.
    static QString unknownText(const QString &code);

private:
    QVariant findGoods(const QString &code) const;
    QVariant proposedPrice(const QVariant &goodId) const;
    int lineOf(const QVariant &goodId) const;

    Database &m_db;
    Dataset &m_details;
    QVariant m_custId;
};

} // namespace hemu
