#pragma once

#include <QString>

namespace hemu {

class Database;

/**
 * Demonstration content for a fresh account set: areas, departments, employees who are
 * users of each role, units, categories, goods, vendors and customers.
 */
namespace DemoData {

struct DemoUser
{
    int id;
    const char *name;
    int role;
    const char *password;
};

/// The demo users and their passwords, as documented in the README.
const DemoUser *users(int *count);

/// Fills a blank account set. One transaction: all or nothing.
bool fill(Database &db, QString *error = nullptr);

} // namespace DemoData
} // namespace hemu

namespace hemu {
class BaseData;
class TabData;
namespace DemoData {
/// Enters bills of the three kinds over the last months through the bill rules, carries an
/// earlier period forward and records two purchase invoices. Needs the masters of fill()
/// and open data modules.
bool fillBills(BaseData &base, TabData &tab, QString *error = nullptr);
} // namespace DemoData
} // namespace hemu
