#pragma once

#include <QString>

namespace hemu::bench {

/** How big a generated account set is, and how often each figure is measured. */
struct BenchSize
{
    QString name;
    int goods = 0;
    int customers = 0;
    int vendors = 0;
    int bills = 0;      // all three kinds, the 20-line bills for the delete included
    int lines = 0;      // all bill lines
    int assortment = 0; // goods items each customer deals in
    int runs = 5;       // runs per figure (posting a line runs three times as often)

    /// "tiny" (the smoke test), "small" or "large"; false for any other name.
    static bool byName(const QString &name, BenchSize *size);
};

} // namespace hemu::bench
