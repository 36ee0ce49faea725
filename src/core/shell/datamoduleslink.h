#pragma once

namespace hemu {

class AccountSetShell;
class BaseData;
class TabData;

/// Makes the shell open and close the datasets of both modules with the account set, and
/// apply the display format to the goods views. It lives with the shell, which knows the
/// modules; the modules know nothing of the shell.
void connectDataModules(AccountSetShell &shell, BaseData &base, TabData &tab);

} // namespace hemu
