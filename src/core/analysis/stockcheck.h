#pragma once

#include "core/dataset/dataseterror.h"

#include <QList>
#include <QString>

namespace hemu {

class Dataset;

/**
 * Stocktaking: per goods item the difference between the books and the count of the main
 * store (`DiffCheck`, books minus shelf) is typed into the batch view `GoodsCheck`, saved
 * with it, and booked into the period's quantity counters by adjust().
 */
namespace StockCheck {

/// The quantity counters of one goods item.
struct Counters
{
    double HandInc = 0;
    double CustHandInc = 0;
};

/**
 * The counters after booking difference `diff` (in single precision, as the counters are
 * posted): a shortage (diff > 0) is one more delivery to customers; a surplus first takes
 * back what was delivered in the period and beyond that counts as stock-in. The book stock
 * PrevOnHand + HandInc - CustHandInc changes by -diff in every case.
 */
Counters adjusted(const Counters &before, double diff);

/// The list as the window opens it: the goods with any quantity (IsZero=false), from the
/// zero marks in force.
DatasetError showCounted(Dataset &goodsCheck);
/// A click (or arrow key) in the category list while "过滤" is checked: the goods with any
/// quantity of category `cataId`. Unchecked it changes nothing.
DatasetError categoryChosen(Dataset &goodsCheck, qint64 cataId, bool boxChecked);
/// "过滤" checked: every goods item of category `cataId`; unchecked: every goods item.
DatasetError categoryBox(Dataset &goodsCheck, qint64 cataId, bool checked);

struct Result
{
    bool ok = false;
    /// What went wrong, in the user's words.
    QString error;
    /// Goods items whose counters were booked.
    int adjusted = 0;
};

/**
 * "调整": in ONE transaction writes the differences still pending in `goodsCheck`, then
 * books every difference the file holds into that item's counters as the file holds them
 * (not as the view read them: another program may have posted since) and sets it to 0.
 * Nothing of it stays when any write fails; the typed differences then stay pending.
 * Afterwards `goodsCheck` lists every goods item (its filter off) on the row it stood on,
 * and `otherViews` (other views of Goods) re-read the rows that changed.
 */
Result adjust(Dataset &goodsCheck, const QList<Dataset *> &otherViews = {});

/// "盘点调整完毕。"
QString doneText();
/// Why nothing was adjusted: the difference of `goodId` does not fit single precision.
QString outOfRangeText(qint64 goodId);
/// Heading of the count sheet.
QString sheetTitle(); // 盘点准备表

} // namespace StockCheck

} // namespace hemu
