#pragma once

#include <QString>

namespace hemu {

class AccountSetShell;
class BaseData;
class TabData;

/** The glue between the account-set commands and the two data modules. */
namespace DataModules {

/// Puts `format` on the floating-point fields of BaseData.Goods, BaseData.lkGoods,
/// TabData.Goods and TabData.GoodsInCusts; other datasets keep their own formats.
void ApplyDisplayFormat(BaseData &base, TabData &tab, const QString &format);

/// Makes the shell open and close the datasets of both modules with the account set, and
/// apply the display format to the goods views.
void connect(AccountSetShell &shell, BaseData &base, TabData &tab);

} // namespace DataModules
} // namespace hemu
