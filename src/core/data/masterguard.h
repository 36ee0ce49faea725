#pragma once

#include <QString>

namespace hemu {

class BaseData;

/**
 * Refuses master-data changes that would leave the books or the logins broken: a new key for
 * a goods item, customer or vendor that bills or stock already use (they would lose it, and
 * a new row given the old key would inherit them), deleting the logged-in user, deleting or
 * demoting the last administrator, overwriting a user or owner row another program changed,
 * a password that could not be hashed, and writing the period counters of a
 * goods item through the master view (only its opening balance is edited there; the
 * counters follow the bills).
 */
class MasterGuard
{
public:
    static void install(BaseData &base);

    static QString keyInUseText();
    static QString currentUserText();
    static QString lastAdministratorText();
    static QString lastAdministratorRoleText();
    static QString passwordNotSetText();
    static QString emptyOpeningBalanceText();
};

} // namespace hemu
