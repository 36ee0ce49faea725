#pragma once

#include "core/dataset/dataseterror.h"

#include <QString>
#include <QVariant>

namespace hemu {

class Dataset;

/**
 * The rules of the goods picker over the goods view (`lkGoods`): the category filter with or
 * without the goods out of use, which rows are out of use, and the bill line a pick appends
 * to a bill's details with the price a bill of that kind proposes.
 */
namespace GoodsPick {

/// "CataID = 5" with the goods out of use shown, else "InUse = false and CataID = 5".
QString categoryFilter(const QVariant &cataId, bool showOutOfUse);

/// Filters `goods` on category `cataId` (categoryFilter) and switches the filter on.
DatasetError filterByCategory(Dataset &goods, const QVariant &cataId, bool showOutOfUse);

/// The goods item of `row` is out of use (`InUse` set: the column means "停用").
bool outOfUse(const Dataset &goods, int row);

/// The goods price a new line of `details` takes: the purchase price (`CostPrice`) on a
/// stock-in bill (`RuKuMx`), the selling price (`SellPrice`) on any other.
QString priceField(const Dataset &details);

/// Appends a line to `details` for the current goods item of `goods`: its GoodID and the
/// price priceField() names. The line stays in insert state for the quantity to be typed;
/// the line pending before it is posted first.
DatasetError appendLine(Dataset &details, const Dataset &goods);

/// Puts the current goods item of `goods` into the current line of `details` (a bill
/// without lines gets a new one): its GoodID and the price priceField() names replace what
/// the line held; the quantity stays. The line is left pending for the user to confirm.
DatasetError pickIntoLine(Dataset &details, const Dataset &goods);

/// Starts editing the current line of `details`, or a new line when the bill has none.
DatasetError editCurrentLine(Dataset &details);

} // namespace GoodsPick
} // namespace hemu
