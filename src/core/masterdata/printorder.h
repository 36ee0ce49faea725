#pragma once

#include <QString>

namespace hemu {

class BaseData;
class Dataset;
class ProgressSink;

/**
 * The print order of the goods (`HardOrder`, the position of an item in printed lists): the
 * order in which a goods view shows its rows now, after any sort and under any filter,
 * written as 1, 2, 3... Goods the view does not show keep their numbers.
 */
namespace PrintOrder {

struct Result
{
    bool ok = true;
    int numbered = 0; ///< goods that got their number
    int missing = 0;  ///< goods shown but no longer in the file (another program deleted them)
    QString error;    ///< why nothing was written
};

/// Numbers the rows of `goods` (a view of the Goods table) in view order, in one transaction,
/// with BaseData's bulk-update switch set meanwhile; then the goods views of the program read
/// the new numbers and `goods` stands on its first row. Tells the user through BaseData's
/// prompter: "异常：找不到产品。" for each item gone, "共处理记录数n" when nothing could be
/// written, "打印顺序设置完毕。" when done. `progress` gets one step per row.
Result apply(BaseData &base, Dataset &goods, ProgressSink &progress);

inline QString questionText() { return QStringLiteral("确定排序吗？"); }
inline QString missingText() { return QStringLiteral("异常：找不到产品。"); }
inline QString failedText(int count) { return QStringLiteral("共处理记录数") + QString::number(count); }
inline QString doneText() { return QStringLiteral("打印顺序设置完毕。"); }

} // namespace PrintOrder
} // namespace hemu
