#pragma once

#include <QString>

namespace hemu {

/** The three kinds of bill, with their tables, prefixes and the counters they move. */
enum class BillKind { StockIn = 1, Delivery = 2, Receipt = 3 };

struct BillKindInfo
{
    BillKind kind;
    const char *headerTable;   // RuKuDan
    const char *detailTable;   // RuKuMx
    const char *headerDataset; // RuKu
    const char *prefix;        // "RK-"
    const char *goodsQty;      // Goods counter moved by a line
    const char *goodsMny;
    const char *priceColumn;   // Goods price set by the latest line
    const char *custQty;       // GoodsInCusts counter, null for stock-in
    const char *custMny;
};

const BillKindInfo &billKindInfo(BillKind kind);
/// Kind from 1..3; false for any other number.
bool billKindFromInt(int value, BillKind *kind);
/// Kind from a detail dataset or table name ("RuKuMx", "DiaoBoMx", "ChuKuMx").
bool billKindFromDetailName(const QString &name, BillKind *kind);

inline QString headerTable(BillKind k) { return QString::fromLatin1(billKindInfo(k).headerTable); }
inline QString detailTable(BillKind k) { return QString::fromLatin1(billKindInfo(k).detailTable); }

} // namespace hemu
