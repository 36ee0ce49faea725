#pragma once

#include "core/dataset/dataseterror.h"

#include <QObject>
#include <QString>
#include <optional>

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
    /// The lines of one customer (`:CustID`), in goods order.
    static QString customerLinesSql();

    /// From the next open() on, both lists are read a page at a time in customer order (each
    /// page one indexed read), so that a window shows its first screen without reading all
    /// lines; whatever needs every row (a search, printing) reads the rest.
    void readInPages(int linesPage = 500, int totalsPage = 100);
    /// Shown when a picked customer owes nothing.
    static QString noReceivablesText();

    /// Reads both lists again (closing them first), the totals first.
    DatasetError open();
    void close();
    /// On: the lines show only the current customer of qSumDue, read for that customer.
    /// Off: every line.
    DatasetError filterDetails(bool on);
    /// Moves qSumDue (unfiltered) to customer `custId` and shows every line; false when the
    /// customer owes nothing.
    bool findCustomer(int custId);

private:
    /// The lines of one customer, or every line (nullopt), read unless shown already.
    DatasetError showLines(const std::optional<qint64> &custId);

    bool m_pages = false;
    int m_linesPage = 0;
    std::optional<qint64> m_linesOf; // the customer whose lines are read, nullopt: every line
};

} // namespace hemu
