#pragma once

#include "core/dataset/dataseterror.h"
#include "core/dataset/rowvalues.h"

#include <QDate>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

namespace hemu {

class Database;
class Dataset;

/**
 * What one customer held, received, sent back and paid for over a date range, read from the
 * bills themselves (so any range works, across carry-forwards), and how long the goods every
 * customer holds have been there. Goods a customer held before its first bill (opening
 * balances) are what the customer stock counters hold beyond what the bills explain.
 */
class CustStatement : public QObject
{
    Q_OBJECT
public:
    explicit CustStatement(Database &db, QObject *parent = nullptr);

    /// Per goods item of the customer: held at the start (`startQty`, `startMny`), delivered,
    /// returned (negative delivery lines), paid for (receipt lines), refunded (negative receipt
    /// lines), all as positive figures, and held at the end; with `Description` and `Unit`.
    Dataset *qStatement = nullptr;
    /// The bills behind the figures, by date: `TabID`, `KindID`, `Kind`, `BookID`, `TabDate`,
    /// `Qty` and `Mny` as the bill has them (a return or refund negative).
    Dataset *qStatementBills = nullptr;
    /// Per customer and goods item held on a day: `heldQty`, `heldMny` and the quantity by how
    /// long ago it was delivered (`age0`, `age31`, `age91`, `age181`), receipts and returns
    /// taking the oldest deliveries first.
    Dataset *qHeldAge = nullptr;

    struct Totals
    {
        double startMny = 0, deliveredMny = 0, returnedMny = 0, paidMny = 0, refundedMny = 0, endMny = 0;
    };

    /// Statement columns, each with its quantity and amount figure; `endQty`/`endMny` last.
    static QStringList figureNames();

    /// Reads the statement of customer `custId` from `from` to `to`, both days included. An
    /// invalid `from` starts with the first bill; an invalid `to` ends with the last.
    DatasetError open(qint64 custId, const QDate &from, const QDate &to);
    /// Reads the ages of what is held at the end of `asOf`, for customer `custId` or everyone (0).
    DatasetError openAges(const QDate &asOf, qint64 custId = 0);
    void close();

    qint64 customer() const { return m_customer; }
    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    /// The amounts of the open statement summed over its goods.
    Totals totals() const;
    /// Every figure of the open statement (figureNames(), quantities and amounts) summed over
    /// its goods; empty when it is not open.
    QHash<QString, double> figureTotals() const;
    /// The open statement as {"customer","from","to","goods":[...],"bills":[...]}.
    QJsonObject toJson() const;
    /// Name of customer `custId`, empty when there is none.
    QString customerName(qint64 custId) const;
    /// The company the books belong to (its name as printed on the bills); empty when unset.
    QString companyName() const;

    /// The customer a statement starts with: the first one holding goods, else the first one;
    /// 0 without customers.
    qint64 firstCustomer() const;
    /// The first day a statement proposes: the day after the last carry-forward (the period
    /// running on `today`), or the first day of `today`'s year when the books were never carried.
    QDate proposedFrom(const QDate &today) const;
    /// One line of the amounts: start, delivered, returned, paid, refunded, end.
    static QString totalsText(const Totals &t);

    /// Refusal of a range that ends before it starts.
    static QString badRangeText();

private:
    /// Hands the rows of one list to its dataset: those the open's read made, or (a refresh
    /// of that dataset alone) those of a new read.
    DatasetError takeRows(std::vector<RowValues> *waiting, bool *isWaiting, std::vector<RowValues> *rows);
    /// Reads the statement of the customer and range set: the goods and the bills, waiting.
    DatasetError makeStatement();

    Database &m_db;
    qint64 m_customer = 0;
    QDate m_from, m_to;
    std::vector<RowValues> m_goodsRows, m_billRows;
    bool m_goodsWaiting = false, m_billsWaiting = false;
    QDate m_agesDay;
    std::optional<qint64> m_agesCustomer;
};

} // namespace hemu
