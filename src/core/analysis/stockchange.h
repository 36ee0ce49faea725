#pragma once

#include "core/dataset/dataseterror.h"

#include <QList>
#include <QString>

namespace hemu {

class Dataset;

/**
 * The stock-change browser's two lists: the period counters of every goods item (the stock
 * view of TabData, `Goods`) and of every customer and goods item (`GoodsInCusts`), with their
 * columns and the filters the browser puts on those shared views. hemu-cli shows the same
 * lists with the same columns.
 */
namespace StockChange {

/// A column of a list: the field of the view and its title ("上|下" is a two-line title).
struct Column
{
    QString field;
    QString title;
};

/// The goods page "库存变动", in order.
QList<Column> goodsColumns();
/// The customer page "应收款变动", in order.
QList<Column> customerColumns();

/// The category filter: only goods of `cataId` that are in use; `cataId` 0 or less switches
/// the goods view's filtering off (a cancelled pick, "全体产品...").
DatasetError filterCategory(Dataset &goods, int cataId);
/// The customer filter of the second page: only `custId`'s rows; 0 or less: filtering off.
DatasetError filterCustomer(Dataset &customerStock, int custId);
/// On: the second page shows only the goods item of `goods`'s current row (its first row
/// when the cursor was never moved). Off: filtering off.
DatasetError filterGoodsOf(Dataset &customerStock, const Dataset &goods, bool on);

/// The heading of the goods page's printout.
QString printTitle();

} // namespace StockChange
} // namespace hemu
