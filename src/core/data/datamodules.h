#pragma once

#include <QString>

namespace hemu {

class BaseData;
class TabData;

/** What concerns both data modules at once. */
namespace DataModules {

/// Puts `format` on the floating-point fields of BaseData.Goods, BaseData.lkGoods,
/// TabData.Goods and TabData.GoodsInCusts; other datasets keep their own formats.
void ApplyDisplayFormat(BaseData &base, TabData &tab, const QString &format);

} // namespace DataModules
} // namespace hemu
