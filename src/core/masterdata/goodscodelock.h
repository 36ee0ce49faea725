#pragma once

#include <QString>

namespace hemu {

class BaseData;
class Dataset;

/**
 * Whether the code of a goods item may still be typed over: only while no bill line and no
 * customer stock refers to it (a changed code would leave them pointing at nothing).
 */
namespace GoodsCodeLock {

/// The code of the current row of `goods` is in use (a new item's code never is).
bool isLocked(BaseData &base, const Dataset &goods);

inline QString freeText() { return QStringLiteral("代码可修改。"); }
inline QString lockedText() { return QStringLiteral("已占用，代码不可修改。"); }

} // namespace GoodsCodeLock
} // namespace hemu
