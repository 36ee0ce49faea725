#pragma once

#include <QString>

namespace hemu {
class Database;
}

namespace hemu::test {

/**
 * Bills of three customers whose statements are known line by line, posted as entering them
 * would, with a carry-forward on 2026-02-28 in the middle:
 * customer 1 (东店) held 4 of goods 1 worth 40 before its first bill; 2026-01-10 delivery of
 * goods 1 10×10 and goods 2 5×4; 02-05 receipt goods 1 6×12; 02-20 return goods 2 -2×4;
 * 03-03 receipt goods 1 3×12 and goods 2 2×5; 03-15 refund goods 1 -1×12; 03-20 delivery
 * goods 1 4×10 and goods 3 (no known unit) 2×2.5. Customer 2 (西店): 03-01 delivery goods 1
 * 7×10. Customer 3 (南店): 03-02 receipt of goods 2 2×5 it was never delivered.
 */
bool fillStatementBooks(Database &db, QString *error);

/**
 * One goods item (甲品, 10 a piece delivered, 12 paid) held by three customers, for ages that
 * cross every band limit, with a carry-forward on 2026-03-31 in the middle:
 * customer 1 (东店) held 5 worth 50 before its first bill; deliveries 2025-12-20 10,
 * 2026-02-10 8, 05-01 6, "2026-06-15 09:30" 4, a return 06-28 -2 and 07-05 3; receipts
 * 03-01 12, 06-20 5, a refund 06-25 -1. Customer 2 (西店): an undated delivery of 3 and
 * 2026-06-01 2. Customer 3 (北店): 2 worth 14 held before any bill, and no bill.
 */
bool fillAgeBooks(Database &db, QString *error);

} // namespace hemu::test
