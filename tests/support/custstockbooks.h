#pragma once

// Goods and customer stock as the stock-change browser and the receivables window see them:
// two categories, a goods item out of use, one whose unit is not on file, customers whose
// lines cancel out, are paid in quantity but not in amount, owe plainly, owe nothing, and
// one row that holds nothing at all.
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
    });
}

} // namespace hemu::test
