#pragma once

#include <QList>
#include <QString>

namespace hemu {

/**
 * Which main-window commands a role may use. Only the commands listed here are
 * governed; every other command stays enabled for every role.
 */
namespace RoleRights {

/// Object names of the governed menu items and tool buttons, in table order.
QList<QString> governedCommands();

/// Whether `command` is enabled for `roleId`. Roles other than 0, 1 and 2 get the rights
/// of role 3. Commands that are not governed return true.
bool isEnabled(const QString &command, int roleId);

} // namespace RoleRights
} // namespace hemu
