#pragma once

// Goods and customer stock as the stock-change browser and the receivables window see them:
// two categories, a goods item out of use, one whose unit is not on file, customers whose
// lines cancel out, are paid in quantity but not in amount, owe plainly, owe nothing, and
// one row that holds nothing at all; and a few bills to look up behind them.
#include "support/masterbooks.h"

namespace hemu::test {

inline void fillCustomerStock(const QString &path)
{
    execOn(path, {
        "INSERT INTO Units (UnitID, Unit) VALUES (1, '个')",
        "INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '饮料'), (2, '食品')",
        // InUse set means out of use; goods 3 points at a unit that does not exist.
        "INSERT INTO Goods (GoodID, CataID, Description, UnitID, InUse, HardOrder, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, "
        "CustHandInc, CustHandIncMny, PrevOnCustHand, PrevOnCustHandMny, Sold, SoldMny) VALUES "
        "(1, 1, '矿泉水', 1, 0, 1, 10, 100, 5, 50, 4, 40, 7, 70, 6, 60), "
        "(2, 1, '老汽水', 1, 1, 2, 1, 5, 0, 0, -2, -10, 0, 0, 1, 5), "
        "(3, 2, '饼干', 9, 0, 3, 0, 0, 8, 16, 2, 8, 0, 0, 0, 0)",
        "INSERT INTO Customers (CustID, CustName) VALUES (1, '张三商店'), (2, '李四超市'), (3, '王五百货'), (4, '赵六小卖部'), "
        "(5, '孙七便利店')",
        "INSERT INTO GoodsInCusts (CustID, GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) VALUES "
        // 1: the lines cancel out to a zero amount, each with a quantity left.
        "(1, 1, 2, 10, 0, 0, 0, 0), (1, 2, 0, 0, -2, -10, 0, 0), "
        // 2: all paid in quantity, an amount still open.
        "(2, 1, 5, 50, 0, 0, 5, 40), "
        // 3: a plain receivable, and a line whose goods item has no known unit.
        "(3, 1, 0, 0, 4, 40, 1, 10), (3, 3, 0, 0, 2, 8, 0, 0), "
        // 4: nothing left at all.
        "(4, 2, 1, 5, 0, 0, 1, 5), "
        // 5: a row that holds nothing.
        "(5, 1, 0, 0, 0, 0, 0, 0)",
        "INSERT INTO Vendors (VendorID, VendorName) VALUES (1, '红星工厂')",
        // Stock-in 1 from vendor 1; deliveries 1 (customer 3), 2 (customer 1), 3 (customer 3,
        // another item); receipt 1 (customer 3). Their lines, not their totals, are what a
        // look-up finds.
        "INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate, KindID) VALUES (1, 'RK-1', 1, '2026-03-01', 1)",
        "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 1, 10, 5)",
        "INSERT INTO DiaoBoDan (TabID, BookID, CustID, TabDate, KindID) VALUES (1, 'CK-1', 3, '2026-03-02', 2), "
        "(2, 'CK-2', 1, '2026-03-02', 2), (3, 'CK-3', 3, '2026-03-03', 2)",
        "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 1, 10, 4), (1, 2, 3, 4, 2), (2, 1, 1, 10, 1), "
        "(3, 1, 2, 5, 1)",
        "INSERT INTO ChuKuDan (TabID, BookID, CustID, TabDate, KindID) VALUES (1, 'SK-1', 3, '2026-03-04', 3)",
        "INSERT INTO ChuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 1, 10, 1)",
    });
}

} // namespace hemu::test
