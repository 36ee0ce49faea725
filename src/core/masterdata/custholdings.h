#pragma once

#include "core/dataset/dataseterror.h"

#include <QObject>
#include <QString>
#include <QVariant>

namespace hemu {

class Database;
class Dataset;

/**
 * The goods customers hold, for the receipt bill's pickers: the customers whose holdings are
 * worth a non-zero amount (`qSumDue`) and one customer's goods with the quantity held, its
 * value and the average value per unit (`qCustHasGoods`). A receipt line takes the whole
 * quantity at that average.
 */
class CustHoldings : public QObject
{
    Q_OBJECT
public:
    enum class Lists { CustomersAndGoods, GoodsOnly };

    CustHoldings(Database &db, Lists lists, QObject *parent = nullptr);

    /// Customers with holdings of non-zero value; nullptr for GoodsOnly.
    Dataset *qSumDue = nullptr;
    /// The goods of one customer (parameter CustID).
    Dataset *qCustHasGoods = nullptr;

    static QString goodsSql(Lists lists);

    /// Reads the customers again (closing both lists first), then the goods of the first.
    DatasetError openCustomers();
    /// Reads the goods of customer `custId` again.
    DatasetError showGoodsOf(const QVariant &custId);
    /// The goods of qSumDue's current customer.
    DatasetError followCustomer();
    void close();

    /// The current row of `holdings` holds nothing: a receipt line would take no quantity.
    static bool nothingHeld(const Dataset &holdings);
    /// Appends a receipt line to `details` for the current row of `holdings`: its GoodID,
    /// the whole quantity held and the average value per unit as the price. The line stays
    /// pending; the one pending before it is posted first.
    static DatasetError appendLine(Dataset &details, const Dataset &holdings);
    /// The same into the current line of `details` (a bill without lines gets a new one).
    static DatasetError pickIntoLine(Dataset &details, const Dataset &holdings);

    static QString zeroQtyText();
};

} // namespace hemu
