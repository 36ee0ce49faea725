#pragma once

#include "bench/benchsize.h"

#include <QList>
#include <QString>

namespace hemu {
class BaseData;
class TabData;
}

namespace hemu::bench {

/// The year the generated bills fall in, and the carry-forward date before it.
inline constexpr int BillYear = 2025;
QString periodStart(); // "2024-12-31"
QString periodEnd();   // "2025-12-31"

/**
 * Writes a deterministic account set of a given size. Masters, opening balances and the bulk
 * of the bills go in with prepared inserts in one transaction (entering a million lines one
 * Enter at a time is hours of fsyncs); a sample of bills of each kind is then entered through
 * TabData and its rules, and TabData::RecalcTotals makes every counter agree with the bills.
 */
class Generator
{
public:
    explicit Generator(const BenchSize &size, quint32 seed = 20251231);

    /// Creates `path` from the blank template and fills it; false with `error` on failure.
    bool generate(const QString &path, QString *error);

    /// TabIDs of the 20-line delivery bills kept for the delete measurement.
    QList<qint64> twentyLineBills() const { return m_twentyLineBills; }
    /// Customer that the 20-line bills and the sample bills belong to.
    int benchCustomer() const { return 1; }
    /// The goods items customer `cust` deals in (what its lines may carry).
    QList<int> assortment(int cust) const;
    /// Bills entered through TabData.
    int sampleBills() const { return m_sampleBills; }

private:
    bool fillBulk(const QString &path, QString *error);
    bool enterSample(BaseData &base, TabData &tab, QString *error);

    BenchSize m_size;
    quint32 m_seed;
    QList<qint64> m_twentyLineBills;
    int m_sampleBills = 0;
};

} // namespace hemu::bench
