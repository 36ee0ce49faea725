#pragma once

#include <QStringList>

namespace hemu {

class Database;

/**
 * Verifies that the books hold together: every bill's total matches its lines, the movement
 * counters equal what rebuilding them from the bills of the current period gives, and the
 * customer counters of each goods item equal the sums over its customer rows.
 */
namespace BooksCheck {

struct Report
{
    bool ok = true;
    QStringList differences; // one line per difference found
    QString error;           // set when the check itself could not run
};

Report run(Database &db);

} // namespace BooksCheck
} // namespace hemu
