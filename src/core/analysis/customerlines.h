#pragma once

#include "core/bills/billkind.h"
#include "core/dataset/dataseterror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace hemu {

class Database;

/// A bill's date as the file holds it, compared as text the way every range of the statement
/// and the ages is: byte by byte, the shorter first on a tie. A missing date reads as the empty
/// text, older than any day.
struct BillDay
{
    QByteArrayView text;

    /// Before `day` ('yyyy-MM-dd', or a longer text such as the end of all days).
    bool isBefore(QByteArrayView day) const { return compare(text, day) < 0; }
    /// The bill names no date.
    bool isMissing() const { return text.isNull(); }
    static int compare(QByteArrayView a, QByteArrayView b);
};

/**
 * The delivery and receipt lines of one customer or of every customer, each with its bill,
 * read in one pass per kind (through the customer index when one customer is asked for), and
 * what the customer stock rows hold: the statement and the ages are worked out from these
 * reads alone. Lines without a goods item are left out. The texts a line points to are the
 * statement's own and last only while the line is handed over.
 */
class CustomerLines
{
public:
    struct Line
    {
        BillKind kind = BillKind::Delivery;
        qint64 tabId = 0;
        qint64 custId = 0; ///< noCustomer when the bill names none
        qint64 goodId = 0;
        QByteArrayView bookId;
        BillDay day;
        double qty = 0;   ///< as the line has it; an empty quantity is 0
        double money = 0; ///< quantity times price, an empty price 0
    };
    /// What a customer stock row holds: its counters, quantity and amount.
    struct Stock
    {
        qint64 custId = 0;
        qint64 goodId = 0;
        double qty = 0;
        double money = 0;
    };
    /// The customer of a bill that names none: sorts before every customer.
    static constexpr qint64 noCustomer = std::numeric_limits<qint64>::min();

    /// Hands every line of customer `custId` (none: of everyone) to `take`, deliveries first.
    static DatasetError readLines(Database &db, std::optional<qint64> custId, const std::function<void(const Line &)> &take);
    /// Hands every customer stock row of customer `custId` (none: of everyone) to `take`.
    static DatasetError readStock(Database &db, std::optional<qint64> custId, const std::function<void(const Stock &)> &take);
    /// The date of the first bill of the books (deliveries and receipts), empty without any.
    static DatasetError firstBillDay(Database &db, QByteArray *day, bool *found);

    /// What the customer stock counters hold beyond what the bills explain: the goods held
    /// before the first bill. Posting narrows quantities and prices to single precision while
    /// the bills keep them in double, so a difference within that rounding of the bills'
    /// volume (`billVolume`, the sum of their absolute figures) is none.
    static double openingBalance(double held, double billSum, double billVolume);
};

/// One goods item at a customer as its stock row and its lines have it, each line signed by
/// what it does to the goods held (a delivery adds, a receipt takes away): what the statement
/// and the ages both need to find the goods held before the first bill.
struct HeldBalance
{
    double stockQty = 0, stockMny = 0;
    double qty = 0, qtyVolume = 0, mny = 0, mnyVolume = 0;

    void addStock(const CustomerLines::Stock &s)
    {
        stockQty += s.qty;
        stockMny += s.money;
    }
    /// Adds `line` and gives its signed quantity and amount.
    std::pair<double, double> addLine(const CustomerLines::Line &line)
    {
        const bool receipt = line.kind == BillKind::Receipt;
        const double q = receipt ? -line.qty : line.qty;
        const double m = receipt ? -line.money : line.money;
        qty += q;
        qtyVolume += std::abs(q);
        mny += m;
        mnyVolume += std::abs(m);
        return {q, m};
    }
    double openingQty() const { return CustomerLines::openingBalance(stockQty, qty, qtyVolume); }
    double openingMny() const { return CustomerLines::openingBalance(stockMny, mny, mnyVolume); }
};

} // namespace hemu
