#pragma once

#include "core/dataset/dataseterror.h"

#include <QObject>
#include <QString>

namespace hemu {

class Database;
class Dataset;

/**
 * What the customers owe: per customer the amount of the goods it holds and has not paid
 * for (`qSumDue`), and the goods lines behind it (`qCustsDue`), both read from GoodsInCusts.
 */
class Receivables : public QObject
{
    Q_OBJECT
public:
    explicit Receivables(Database &db, QObject *parent = nullptr);

    /// Customers whose amount (opening + new - paid, summed over their goods) is not zero.
    Dataset *qSumDue = nullptr;
    /// Customer goods lines whose quantity is not zero, whatever their amount; a goods item
    /// without a known unit is left out.
    Dataset *qCustsDue = nullptr;

    static QString sumDueSql();
    static QString custsDueSql();
    /// Shown when a picked customer owes nothing.
    static QString noReceivablesText();

    /// Reads both lists again (closing them first), the totals first.
    DatasetError open();
    void close();
    /// On: the lines show only the current customer of qSumDue. Off: every line.
    DatasetError filterDetails(bool on);
    /// Moves qSumDue (unfiltered) to customer `custId` and shows every line; false when the
    /// customer owes nothing.
    bool findCustomer(int custId);
};

} // namespace hemu
