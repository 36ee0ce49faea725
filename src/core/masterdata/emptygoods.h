#pragma once

#include <QString>

namespace hemu {

class BaseData;

/**
 * "查看没有使用的产品": marks the goods without any quantity movement (MarkZeroGoods) and
 * shows only those in the goods master view, or shows every item again.
 */
namespace EmptyGoods {

/// False with `error` when the marks or the view could not be made.
bool show(BaseData &base, bool onlyEmpty, QString *error);

inline QString filterText() { return QStringLiteral("IsZero = true"); }

} // namespace EmptyGoods
} // namespace hemu
